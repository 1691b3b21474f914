#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <filesystem>

namespace zelto {

// File > Open .KSS file, once the dialog has given a capture: writes its HEX frame file in
// the working folder and decodes it.
void openKissFile(Session& session, Panes& panes, const std::filesystem::path& capture);

} // namespace zelto
