// The sink that decodes a live session's frames into the panes and the store as they come.
#include "commands/decoder_sink.h"

#include "core/durable_writes.h"
#include "core/run_error.h"
#include "core/text.h"
#include "import/hex_frame_file.h"
#include "store/description_log.h"
#include "store/frame_store.h"
#include "store/puzzle_assembly.h"
#include "store/store_layout.h"
#include "store/thumbnail_assembly.h"

#include <exception>

namespace zelto {

namespace {
// About 7 MB of frames: a day's passes repeat most frames within the same pass.
constexpr std::size_t kRememberedFrames = 20000;
} // namespace

DecoderSink::DecoderSink(Session& session, Panes& panes)
    : session_(session), panes_(panes), decoder_(session, panes) {}

void DecoderSink::take(const ReceivedFrames& frames) {
    const std::string_view lines = frames.hexLines;
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = lines.find(kHexLineEnd, start);
        decodeLine(lines.substr(start, end - start));
        start = end + kHexLineEnd.size();
    }
    // The frames written are remembered, to spare reading back a frame received again, but
    // only so many: a session of weeks must not hold them all.
    if (session_.writtenFrames.size() > kRememberedFrames)
        session_.forgetWrittenFrames();
}

void DecoderSink::storeChanged() {
    decoder_.forgetStore();
    frameFiles_.clear();
}

void DecoderSink::decodeLine(std::string_view line) {
    try {
        const DecodedFrame frame = decoder_.decode(line);
        switch (frame.type) {
        case FrameType::Icon:
            showIcon(frame.iconFile);
            break;
        case FrameType::Thumbnail:
            thumbnailFrame(frame);
            break;
        case FrameType::Puzzle:
            puzzleFrame(frame);
            break;
        case FrameType::Text:
        case FrameType::None:
            break;
        }
    } catch (const RunError& error) {
        if (error.writeFailure())
            throw;
        ++failed_;
        host_->tell(error.what());
    } catch (const std::exception& error) {
        ++failed_;
        host_->tell(error.what());
    }
}

void DecoderSink::showIcon(const std::string& iconFile) {
    // The newest icon takes the slot after the others; once all eight are filled, the strip
    // moves one slot to the left. An icon that cannot be shown is not kept in the strip.
    recentIcons_.push_back(iconFile);
    if (recentIcons_.size() > kIconStripSlots)
        recentIcons_.pop_front();
    PicturePane slot;
    iconStripSlot(static_cast<int>(recentIcons_.size()), slot);
    try {
        panes_.showPicture(slot, session_.writes.readable(session_.workFolder / iconFile),
                           iconFile);
    } catch (...) {
        recentIcons_.pop_back();
        throw;
    }
    if (recentIcons_.size() < kIconStripSlots)
        return;
    for (std::size_t i = 0; i + 1 < recentIcons_.size(); ++i) {
        iconStripSlot(static_cast<int>(i + 1), slot);
        panes_.showPicture(slot, session_.writes.readable(session_.workFolder / recentIcons_[i]),
                           recentIcons_[i]);
    }
}

bool DecoderSink::completeAfter(ImageKind kind, const DecodedFrame& frame) {
    const std::filesystem::path folder =
        StoreLayout(session_.workFolder).imageFolder(kind, frame.imageFolder);
    const std::string& key = folder.native();
    auto known = frameFiles_.find(key);
    if (known == frameFiles_.end()) {
        session_.writes.publish(); // the frame just written is counted with the others
        known = frameFiles_.emplace(key, frameFileCount(folder)).first;
    } else if (frame.frameFile == FileWrite::Created)
        ++known->second;
    else if (frame.frameFile == FileWrite::Replaced)
        known->second = frameFileCount(folder);
    if (frame.frameFile == FileWrite::Unchanged)
        return false;
    const long total = StoreLayout::frameCountOfFolder(frame.imageFolder);
    if (known->second != total || total < 1)
        return false;
    // The count kept is checked against the folder itself, its new frames named, before
    // anything is joined.
    session_.writes.publish();
    return (known->second = frameFileCount(folder)) == total;
}

void DecoderSink::forgetThumbnailFolder(const std::string& folderName) {
    frameFiles_.erase(
        StoreLayout(session_.workFolder).imageFolder(ImageKind::Thumbnail, folderName).native());
    decoder_.forgetThumbnailFolder(folderName);
}

void DecoderSink::thumbnailFrame(const DecodedFrame& frame) {
    const std::string id(StoreLayout::imageIdOfFolder(frame.imageFolder));
    if (!completeAfter(ImageKind::Thumbnail, frame)) {
        if (!panes_.listHas(ListPane::ListBox3, id))
            panes_.listAppend(ListPane::ListBox3, id);
        return;
    }
    std::optional<DescriptionIndex> descriptions;
    try {
        joinThumbnail(session_, panes_, frame.imageFolder, descriptions);
    } catch (...) {
        // Joined again when another of its frames comes.
        forgetThumbnailFolder(frame.imageFolder);
        throw;
    }
    removeThumbnailFolder(session_, frame.imageFolder);
    forgetThumbnailFolder(frame.imageFolder);
    panes_.listRemove(ListPane::ListBox3, id);
}

void DecoderSink::puzzleFrame(const DecodedFrame& frame) {
    if (!completeAfter(ImageKind::Puzzle, frame))
        return;
    joinPuzzle(session_, panes_, frame.imageFolder);
    PuzzleDescriber(session_.workFolder / kLogName).describe(session_.lastPuzzleId, panes_);
    panes_.listSelectLast(ListPane::ListBox2);
}

} // namespace zelto
