#include "store/frame_store.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"

#include <cerrno>
#include <unordered_map>

namespace zelto {

namespace fs = std::filesystem;

namespace {
constexpr std::uintmax_t kFramePayloadBytes = 200;
constexpr std::uintmax_t kLongestRemainder = 255; // a one-byte field
} // namespace

std::string imageFolderName(std::string_view imageId, long frameCount) {
    return std::string(imageId) + " . " + std::to_string(frameCount);
}

std::string frameFileName(long frameNumber) {
    std::string name;
    appendHexByte(name, static_cast<unsigned char>(frameNumber & 0xFF));
    name.push_back(' ');
    appendHexByte(name, static_cast<unsigned char>((frameNumber >> 8) & 0xFF));
    return name + ".bin";
}

std::optional<long> frameNumberOfFileName(std::string_view name) {
    if (name.size() != 9 || name[2] != ' ' || toUpperAscii(name.substr(5)) != ".BIN")
        return std::nullopt;
    long number = 0;
    // Low byte first: characters 1-2 are the low byte, 4-5 the high byte.
    for (const std::size_t at : {3, 4, 0, 1}) {
        const int digit = hexDigitValue(name[at]);
        if (digit < 0)
            return std::nullopt;
        number = number * 16 + digit;
    }
    return number;
}

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
        if (const auto frame = frameNumberOfFileName(name)) {
            std::error_code sizeError;
            const std::uintmax_t size = frameFileSize(*it, written, sizeError);
            if (sizeError || !isWholeFrameFile(*frame, size))
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

long frameCountOfFolder(std::string_view folderName) {
    return toInteger(chars(folderName, 15, 3));
}

bool isWholeFrameFile(long frameNumber, std::uintmax_t size) {
    return frameNumber <= 1 ? size <= kLongestRemainder : size == kFramePayloadBytes;
}

PresentFrames presentFrames(const fs::path& imageFolder, long frameCount) {
    PresentFrames frames;
    const std::string folder = imageFolder.native() + "/";
    for (long f = frameCount; f >= 1; --f) {
        const std::string path = folder + frameFileName(f);
        std::error_code ec;
        // Only regular files: a FIFO under a frame's name would hold the reader forever.
        if (!fs::is_regular_file(path, ec))
            continue;
        const std::uintmax_t size = fs::file_size(path, ec);
        if (ec || !isWholeFrameFile(f, size))
            continue;
        std::string bytes = readWholeFile(path);
        // Checked again on what was read: the file may have changed since it was measured.
        if (isWholeFrameFile(f, bytes.size()))
            frames.emplace(f, std::move(bytes));
    }
    return frames;
}

void joinFrames(Session& session, const fs::path& imageFolder, long frameCount,
                const fs::path& target) {
    std::string image;
    const std::string folder = imageFolder.native() + "/";
    for (long f = frameCount; f >= 1; --f) {
        const std::string path = folder + frameFileName(f);
        if (const auto written = session.writtenFrames.find(path);
            written != session.writtenFrames.end()) {
            image += written->second;
            continue;
        }
        const std::string frame = readWholeFile(path);
        if (!isWholeFrameFile(f, frame.size()))
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
        foldersOfId[chars(folder, 1, 11)].push_back(&folder);
    std::vector<std::string> messages;
    for (const std::string& id : imageIds) {
        const auto found = foldersOfId.find(id);
        if (found == foldersOfId.end())
            continue;
        for (const std::string* folder : found->second) {
            const long received = frameFileCount(session, session.workFolder / "Thumbs" / *folder);
            const long total = frameCountOfFolder(*folder);
            messages.push_back(" Missing " + std::to_string(total - received) + " frames from " +
                               std::to_string(total) + " in : thumb " + id);
        }
    }
    return messages;
}

std::vector<std::string> thumbnailFoldersOf(const Session& session, std::string_view imageId) {
    std::vector<std::string> folders;
    for (const auto& folder : session.memo4.entries())
        if (chars(folder, 1, 11) == imageId)
            folders.push_back(folder);
    return folders;
}

std::vector<std::string> missingFramesMessages(const Session& session, std::string_view imageId) {
    return missingFramesMessages(session, std::vector<std::string>{std::string(imageId)});
}

} // namespace zelto
