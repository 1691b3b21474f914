#include "import/kiss_import.h"

#include "core/run_error.h"

namespace zelto {

void openKissFile(Session&, Panes&, const std::filesystem::path&) {
    throw RunError("Not built yet");
}

} // namespace zelto
