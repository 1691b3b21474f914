#include "store/work_folder.h"

#include "core/file_io.h"
#include "decode/description_log.h"

namespace zelto {

namespace fs = std::filesystem;

namespace {

// Unfinished files of a run that was killed: in the working folder and in every image folder.
void removePartialFiles(const fs::path& folder, int depth) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (isPartialName(it->path().filename().native()))
            fs::remove(it->path(), ignored);
        else if (depth > 0 && it->is_directory(ignored))
            removePartialFiles(it->path(), depth - 1);
    }
}

} // namespace

void prepareWorkFolder(Session& session, const fs::path& folder) {
    session.workFolder = fs::absolute(folder);
    removePartialFiles(session.workFolder, 0);
    for (const char* store : {"Thumbs", "Puzzles"})
        removePartialFiles(session.workFolder / store, 1);

    const fs::path log = session.workFolder / kLogName;
    std::error_code ec;
    if (!fs::exists(log, ec))
        writeWholeFile(log, "");
    for (const char* store : {"Thumbs", "Puzzles"})
        fs::create_directory(session.workFolder / store, ec);
}

} // namespace zelto
