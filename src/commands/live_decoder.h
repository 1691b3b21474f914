#pragma once

#include "core/panes.h"
#include "core/session.h"
#include "decode/frame_decoder.h"
#include "import/day_capture.h"
#include "import/kiss_frames.h"
#include "store/store_layout.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelto {

// What a live session has received so far.
struct LiveCounts {
    long frames = 0;   // whole frames, each kept in the day's capture
    long cut = 0;      // frames cut off by a lost connection, kept nowhere
    long overlong = 0; // runs dropped for being longer than any frame
    long failed = 0;   // frames kept but not decoded (their message was reported)
};

// Decodes a KISS byte stream as it arrives: each whole frame is kept in the day's capture,
// a frame of the kept length also as a line of the day's HEX frame file, and that line is
// decoded at once by the rules of the decoding pass. A thumbnail or puzzle that a new frame
// file completes is joined there and then; ListBox3 keeps the incomplete thumbnails met, and
// the icon strip the eight most recent icons.
class LiveDecoder {
  public:
    using Clock = std::chrono::system_clock;
    // One frame that could not be decoded: the session goes on with the next.
    using FrameErrorHandler = std::function<void(const std::string& message)>;
    // Each frame of the kept length with its escapes resolved, as received.
    using KeptFrameHandler = std::function<void(std::string_view frame, Clock::time_point)>;

    // Frames longer than this cannot be beacon frames; a server sending more is cut short.
    static constexpr std::size_t kLongestFrame = 64 * 1024;

    LiveDecoder(Session& session, Panes& panes, FrameErrorHandler onFrameError);

    void onKeptFrame(KeptFrameHandler handler) { onKeptFrame_ = std::move(handler); }

    // Bytes as they came from the server. Throws RunError when the day's capture, its HEX
    // frame file or the frame store cannot be written: nothing more could be kept, and the
    // session must end. What was written stays whole.
    void receive(std::string_view bytes, Clock::time_point received);

    // The connection is gone: a frame begun is dropped and counted.
    void connectionLost();

    // Another command ran and may have changed the store: what this decoder knows of it is
    // read again.
    void storeChanged();

    const LiveCounts& counts() const { return counts_; }

  private:
    void decodeLine(std::string_view line);
    void showIcon(const std::string& iconFile);
    void thumbnailFrame(const DecodedFrame& frame);
    void puzzleFrame(const DecodedFrame& frame);
    // Whether the folder under Thumbs or Puzzles has all its frames now.
    bool completeAfter(ImageKind kind, const DecodedFrame& frame);
    void forgetThumbnailFolder(const std::string& folderName);

    Session& session_;
    Panes& panes_;
    FrameErrorHandler onFrameError_;
    KeptFrameHandler onKeptFrame_;
    FrameDecoder decoder_;
    DayCapture day_;
    KissFrameSplitter splitter_{kLongestFrame};
    LiveCounts counts_;
    std::deque<std::string> recentIcons_;
    // Frame files of the image folders met, counted once and then kept up to date.
    std::unordered_map<std::string, long> frameFiles_;
    // Buffers of one receive(), kept for their room.
    std::string captureBytes_;
    std::string hexLines_;
    std::vector<std::string> keptFrames_; // escapes resolved, for onKeptFrame
};

} // namespace zelto
