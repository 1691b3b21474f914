// The frame store: counting, reading and joining the frame files of an image folder, and removing
// one.
#include "store/frame_store.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"

#include <cerrno>
#include <unordered_map>

namespace zelto {

namespace fs = std::filesystem;

namespace {
using WrittenFrames = std::unordered_map<std::string, std::string>;

// The size of a frame file, from the bytes the session wrote when it knows them.
std::uintmax_t frameFileSize(const fs::directory_entry& entry, const WrittenFrames* written,
                             std::error_code& ec) {
    if (written)
        if (const auto known = written->find(entry.path().native()); known != written->end())
            return known->second.size();
    return entry.file_size(ec);
}

long countFrameFiles(const fs::path& imageFolder, const WrittenFrames* written) {
    std::error_code ec;
    fs::directory_iterator it(imageFolder, ec);
    long count = 0;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().native();
        std::error_code typeError; // an entry that cannot be looked at counts as a file
        if (it->is_directory(typeError) || isPartialName(name))
            continue;
        if (const auto frame = StoreLayout::frameNumberOfFileName(name)) {
            std::error_code sizeError;
            const std::uintmax_t size = frameFileSize(*it, written, sizeError);
            if (sizeError || !StoreLayout::isWholeFrameFile(*frame, size))
                continue;
        }
        ++count;
    }
    return count;
}
} // namespace

long frameFileCount(const fs::path& imageFolder) {
    return countFrameFiles(imageFolder, nullptr);
}

long frameFileCount(const Session& session, const fs::path& imageFolder) {
    return countFrameFiles(imageFolder, &session.writtenFrames);
}

PresentFrames presentFrames(const fs::path& imageFolder, long frameCount) {
    PresentFrames frames;
    const std::string folder = imageFolder.native() + "/";
    for (long f = frameCount; f >= 1; --f) {
        const std::string path = folder + StoreLayout::frameFileName(f);
        std::error_code ec;
        // Only regular files: a FIFO under a frame's name would hold the reader forever.
        if (!fs::is_regular_file(path, ec))
            continue;
        const std::uintmax_t size = fs::file_size(path, ec);
        if (ec || !StoreLayout::isWholeFrameFile(f, size))
            continue;
        std::string bytes = readWholeFile(path);
        // Checked again on what was read: the file may have changed since it was measured.
        if (StoreLayout::isWholeFrameFile(f, bytes.size()))
            frames.emplace(f, std::move(bytes));
    }
    return frames;
}

void joinFrames(Session& session, const fs::path& imageFolder, long frameCount,
                const fs::path& target) {
    std::string image;
    const std::string folder = imageFolder.native() + "/";
    for (long f = frameCount; f >= 1; --f) {
        const std::string path = folder + StoreLayout::frameFileName(f);
        if (const auto written = session.writtenFrames.find(path);
            written != session.writtenFrames.end()) {
            image += written->second;
            continue;
        }
        const std::string frame = readWholeFile(path);
        if (!StoreLayout::isWholeFrameFile(f, frame.size()))
            throwIoError(ENOENT);
        image += frame;
    }
    // A puzzle joined again by every Puzzles > Decode is mostly the file that stands there.
    writeWholeFile(target.native(), image, session.writes);
}

void removeImageFolder(const fs::path& hiddenFolder, const std::string& folderName,
                       const std::function<void(const std::string&)>& deleted) {
    std::error_code ec;
    for (fs::directory_iterator it(hiddenFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_directory(ignored))
            continue;
        fs::remove(it->path(), ignored);
        if (deleted)
            deleted(it->path().filename().native());
    }
    if (fs::remove(hiddenFolder, ec) || hiddenFolder.filename() == folderName)
        return;
    const fs::path named = hiddenFolder.parent_path() / folderName;
    if (!fs::exists(named, ec) && !ec)
        fs::rename(hiddenFolder, named, ec);
}

std::vector<std::string> missingFramesMessages(const Session& session,
                                               const std::vector<std::string>& imageIds) {
    std::unordered_map<std::string_view, std::vector<const std::string*>> foldersOfId;
    for (const auto& folder : session.memo4.entries())
        foldersOfId[StoreLayout::imageIdOfFolder(folder)].push_back(&folder);
    std::vector<std::string> messages;
    for (const std::string& id : imageIds) {
        const auto found = foldersOfId.find(id);
        if (found == foldersOfId.end())
            continue;
        for (const std::string* folder : found->second) {
            const long received = frameFileCount(
                session,
                StoreLayout(session.workFolder).imageFolder(ImageKind::Thumbnail, *folder));
            const long total = StoreLayout::frameCountOfFolder(*folder);
            messages.push_back(" Missing " + std::to_string(total - received) + " frames from " +
                               std::to_string(total) + " in : thumb " + id);
        }
    }
    return messages;
}

std::vector<std::string> thumbnailFoldersOf(const Session& session, std::string_view imageId) {
    std::vector<std::string> folders;
    for (const auto& folder : session.memo4.entries())
        if (StoreLayout::imageIdOfFolder(folder) == imageId)
            folders.push_back(folder);
    return folders;
}

std::vector<std::string> missingFramesMessages(const Session& session, std::string_view imageId) {
    return missingFramesMessages(session, std::vector<std::string>{std::string(imageId)});
}

} // namespace zelto
