#include "decode/open_hex.h"

#include "core/run_error.h"

namespace zelto {

void openHexFile(Session&, Panes&, const std::filesystem::path&) { throw RunError("Not built yet"); }

} // namespace zelto
