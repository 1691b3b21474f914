// Start-up of the working folder: what a kill left finished or taken back, the log and the store
// folders made.
#include "commands/work_folder.h"

#include "core/file_io.h"
#include "store/description_log.h"
#include "store/frame_store.h"
#include "store/store_layout.h"

namespace zelto {

namespace fs = std::filesystem;

namespace {

// Unfinished files of a run that was killed, in a store folder and its image folders, and
// the removals of image folders it began.
void removePartialFiles(const fs::path& folder, int depth) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        const std::string name = it->path().filename().native();
        if (isPartialName(name) && depth > 0 && it->is_directory(ignored))
            removeImageFolder(it->path(), nameOfPartial(name));
        else if (isPartialName(name))
            fs::remove(it->path(), ignored);
        else if (depth > 0 && it->is_directory(ignored))
            removePartialFiles(it->path(), depth - 1);
    }
}

// The names of the unfinished files directly in a folder.
std::vector<std::string> partialNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isPartialName(it->path().filename().native()))
            names.push_back(it->path().filename().native());
    return names;
}

} // namespace

void prepareWorkFolder(Session& session, const fs::path& folder) {
    session.workFolder = fs::absolute(folder);
    session.writes.setFolder(session.workFolder);
    const fs::path log = session.workFolder / kLogName;
    // The log first: the markers that tell of a line cut short are among the partial files.
    const std::vector<std::string> partial = partialNames(session.workFolder);
    cutPartAppendedLine(log, partial);
    for (const std::string& name : partial) {
        std::error_code ignored;
        fs::remove(session.workFolder / name, ignored);
    }
    const StoreLayout layout(session.workFolder);
    for (const ImageKind kind : {ImageKind::Thumbnail, ImageKind::Puzzle})
        removePartialFiles(layout.storeFolder(kind), 1);

    std::error_code ec;
    if (!fs::exists(log, ec))
        writeWholeFile(log, "");
    for (const ImageKind kind : {ImageKind::Thumbnail, ImageKind::Puzzle})
        fs::create_directory(layout.storeFolder(kind), ec);
}

} // namespace zelto
