#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <filesystem>

namespace zelto {

// File > Open SatNOGS frames file, once the dialog has given a file: writes its frames,
// oldest first, as a HEX frame file in the working folder and decodes it as Open .HEX file
// does. The report pane ends with how many lines or entries were no frames, if any.
void openSatnogsFile(Session& session, Panes& panes, const std::filesystem::path& file);

} // namespace zelto
