#include "store/frame_store.h"

#include "core/file_io.h"
#include "core/text.h"

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

long frameFileCount(const fs::path& imageFolder) {
    std::error_code ec;
    fs::directory_iterator it(imageFolder, ec);
    long count = 0;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) || isPartialName(it->path().filename().native()))
            continue;
        ++count;
    }
    return count;
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

void joinFrames(const Session& session, const fs::path& imageFolder, long frameCount,
                const fs::path& target) {
    WholeFile out(target);
    const std::string folder = imageFolder.native() + "/";
    for (long f = frameCount; f >= 1; --f) {
        const std::string path = folder + frameFileName(f);
        if (const auto written = session.writtenFrames.find(path);
            written != session.writtenFrames.end())
            out.write(written->second);
        else
            out.write(readWholeFile(path));
    }
    out.commit();
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
            const long received = frameFileCount(session.workFolder / "Thumbs" / *folder);
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
