#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <filesystem>

namespace zelto {

// File > Open .HEX file, once the dialog has given a file: clears the panes and decodes it.
void openHexFile(Session& session, Panes& panes, const std::filesystem::path& file);

} // namespace zelto
