#include "store/work_folder.h"

#include "core/run_error.h"

namespace zelto {

void prepareWorkFolder(Session& session, const std::filesystem::path& folder) {
    session.workFolder = folder;
}

} // namespace zelto
