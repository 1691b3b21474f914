#pragma once

#include "commands/frame_sink.h"
#include "core/panes.h"
#include "core/session.h"
#include "decode/frame_decoder.h"
#include "store/store_layout.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zelto {

// Decodes each frame of the kept length as it arrives, by the rules of the decoding pass. A
// thumbnail or puzzle that a new frame file completes is joined there and then; ListBox3 keeps
// the incomplete thumbnails met, and the icon strip the eight most recent icons. A frame that
// cannot be decoded is told and counted, and the session goes on with the next.
class DecoderSink : public FrameSink {
  public:
    static constexpr const char* kKind = "decoder";

    DecoderSink(Session& session, Panes& panes);

    std::string kind() const override { return kKind; }
    bool waitsForStore() const override { return true; }
    void attach(SinkHost& host) override { host_ = &host; }
    // Throws RunError when the frame store cannot be written.
    void take(const ReceivedFrames& frames) override;
    // What this sink knows of the store is read again.
    void storeChanged() override;
    void describe(LiveState& state) const override { state.counts.failed = failed_; }

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
    SinkHost* host_ = nullptr;
    FrameDecoder decoder_;
    long failed_ = 0;
    std::deque<std::string> recentIcons_;
    // Frame files of the image folders met, counted once and then kept up to date.
    std::unordered_map<std::string, long> frameFiles_;
};

} // namespace zelto
