// One beacon frame decoded: its report line, its icon file, its log line or its frame file.
#include "decode/frame_decoder.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"
#include "decode/report_lines.h"
#include "store/frame_store.h"
#include "store/store_layout.h"

#include <cerrno>
#include <filesystem>

namespace zelto {

namespace fs = std::filesystem;

namespace {
constexpr auto kFrameWaiting = DurableWrites::Waiting::Unlisted;
} // namespace

FrameDecoder::FrameDecoder(Session& session, Panes& panes)
    : session_(session), panes_(panes), log_(session.workFolder / kLogName, &session.writes),
      workFolder_(session.workFolder.native() + "/"),
      thumbs_(StoreLayout(session.workFolder).storeFolder(ImageKind::Thumbnail).native() + "/"),
      puzzles_(StoreLayout(session.workFolder).storeFolder(ImageKind::Puzzle).native() + "/") {}

DecodedFrame FrameDecoder::decode(std::string_view line) {
    DecodedFrame decoded;
    decoded.type = classifyLine(line);
    switch (decoded.type) {
    case FrameType::Text:
        textFrame(line);
        break;
    case FrameType::Icon:
        iconFrame(line, decoded);
        break;
    case FrameType::Thumbnail:
    case FrameType::Puzzle:
        imageFrame(line, decoded.type, decoded);
        break;
    case FrameType::None:
        return decoded;
    }
    anyValidFrame_ = true;
    return decoded;
}

void FrameDecoder::forgetStore() {
    knownFolders_.clear();
    newFolders_.clear();
    folderErrors_.clear();
    session_.forgetWrittenFrames();
}

void FrameDecoder::forgetThumbnailFolder(const std::string& folderName) {
    const std::string folder = thumbs_ + folderName + "/";
    knownFolders_.erase(folder);
    newFolders_.erase(folder);
    folderErrors_.erase(folder);
}

void FrameDecoder::textFrame(std::string_view line) {
    const TextFrame frame = readTextFrame(line);
    session_.currentImageId = frame.imageId;
    panes_.reportAppend(textReportLine(frame));
    log_.add(frame.imageId, frame.description);
}

void FrameDecoder::iconFrame(std::string_view line, DecodedFrame& decoded) {
    const IconFrame frame = readIconFrame(line);
    checkIconId(frame.iconId);
    panes_.reportAppend(iconReportLine(frame));
    decoded.iconFile = "icon" + frame.iconId + ".bmp";
    writeWholeFile(workFolder_ + decoded.iconFile, iconBitmap(line, frame), session_.writes);
    panes_.listAppend(ListPane::ListBox1, decoded.iconFile);
}

void FrameDecoder::imageFrame(std::string_view line, FrameType type, DecodedFrame& decoded) {
    const ImageFrame frame = readImageFrame(line);
    checkImageFrameNames(frame);
    session_.currentImageId = frame.imageId;
    panes_.reportAppend(imageReportLine(type, frame));

    decoded.imageFolder = StoreLayout::imageFolderName(frame.imageId, frame.frameCount);
    const std::string folder =
        (type == FrameType::Thumbnail ? thumbs_ : puzzles_) + decoded.imageFolder + "/";
    // A folder that cannot be made shows up when its frame file is written just below.
    if (knownFolders_.insert(folder).second) {
        std::error_code ec;
        if (fs::create_directory(folder, ec))
            newFolders_.insert(folder);
        else if (ec && ec.value() != EEXIST)
            folderErrors_.emplace(folder, ec.value());
    }
    if (type == FrameType::Thumbnail)
        session_.memo4.note(decoded.imageFolder);
    // Upper-case digits, so that the names the assembly builds from numbers always match.
    try {
        decoded.frameFile =
            storeFrame(folder, folder + toUpperAscii(frame.frameNumberText) + ".bin",
                       imagePayload(line, frame));
    } catch (const RunError&) {
        // Without its folder the frame file is "File not found"; why the folder could not
        // be made (a full disk, say) is what the operator needs to hear.
        if (const auto failed = folderErrors_.find(folder); failed != folderErrors_.end())
            throwWriteError(failed->second);
        throw;
    }
}

// Writes a frame file unless it holds these bytes already. What this decoder wrote is known
// without asking the file system (frame files waiting for their names among them, so they
// wait unlisted), and a folder it made holds nothing else.
FileWrite FrameDecoder::storeFrame(const std::string& folder, std::string path,
                                   std::string payload) {
    auto& written = session_.writtenFrames;
    if (const auto known = written.find(path); known != written.end()) {
        if (known->second == payload)
            return FileWrite::Unchanged;
        replaceWholeFile(path, payload, session_.writes, kFrameWaiting);
        known->second = std::move(payload);
        return FileWrite::Replaced;
    }
    FileWrite outcome = FileWrite::Created;
    if (newFolders_.count(folder))
        replaceWholeFile(path, payload, session_.writes, kFrameWaiting);
    else
        outcome = writeWholeFile(path, payload, session_.writes, kFrameWaiting);
    written.emplace(std::move(path), std::move(payload));
    return outcome;
}

} // namespace zelto
