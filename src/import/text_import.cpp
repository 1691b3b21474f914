#include "import/text_import.h"

#include "core/run_error.h"

namespace zelto {

void openTextFile(Session&, Panes&, const std::filesystem::path&) {
    throw RunError("Not built yet");
}

} // namespace zelto
