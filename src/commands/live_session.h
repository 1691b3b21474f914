#pragma once

#include "commands/frame_sink.h"
#include "commands/frame_source.h"
#include "commands/live_state.h"
#include "core/session.h"
#include "import/kiss_frames.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// One live session: a frame source, and the sinks each frame it brings goes to, in order.
// The source's KISS stream is cut into frames here, once, for every sink; what the session
// does is told as data (state()) and as changes to an observer, which the window and the
// batch tool each word in their own way.
class LiveSession : private FrameSource::Listener, private SinkHost {
  public:
    enum class Change {
        Source,     // the source's state
        FrameCut,   // a frame begun was lost with the connection
        Frames,     // frames were taken
        Forwarding, // what a sink adds to the state
        Ended,      // a failure ended the session (state().stoppedFor)
    };

    class Observer {
      public:
        virtual ~Observer() = default;
        virtual void changed(Change what) = 0;
        // A message for the operator: a frame that could not be decoded, a frame refused.
        virtual void told(const std::string& text) = 0;
        // Around the sinks' work on each block: before it, with the block's time of reception
        // (for frames that waited out a hold, the time they came, not the time of decoding).
        virtual void framesArrive(std::chrono::system_clock::time_point /*received*/) {}
    };

    // Frames longer than this cannot be beacon frames; a source sending more is cut short.
    static constexpr std::size_t kLongestFrame = 64 * 1024;

    LiveSession(Session& session, Observer& observer);
    ~LiveSession() override;

    // While frames wait for the sinks that read the store, at most this many bytes of them
    // are kept; frames past it are kept only by the other sinks, and their count is told.
    static constexpr std::size_t kLongestHold = 32 << 20;

    // Before start(), in the order that frames reach them.
    void addSink(std::unique_ptr<FrameSink> sink);
    // At any time but inside a sink's work: takes the place of the sink of the same kind, or,
    // when there is none, goes before the first sink of kind `before` (last when none is).
    void replaceSink(std::unique_ptr<FrameSink> sink, std::string_view before = {});
    // Removes the sink of that kind; false when there is none.
    bool removeSink(std::string_view kind);
    bool hasSink(std::string_view kind) const;
    void start(std::unique_ptr<FrameSource> source);
    // What has come in is taken first; a frame begun is dropped.
    void stop();
    bool active() const;

    // While a command that may change the store runs: the source goes on, and the sinks that
    // do not read the store (the day's capture, forwarding) take every frame as it comes; the
    // frames wait for the others, which on release hear that the store may have changed and
    // then take them.
    void hold(bool held);
    bool held() const { return held_; }
    // A source waiting to try again tries at once.
    void retryNow();

    LiveState state() const;

  private:
    void bytes(std::string_view kissStream,
               std::chrono::system_clock::time_point received) override;
    void broken() override;
    void changed() override;
    void tell(const std::string& text) override;
    void sinkChanged() override;
    void take(std::string_view kissStream, std::chrono::system_clock::time_point received);
    // Runs the sinks' work; a failure ends the session. False when it did.
    bool guarded(const std::function<void()>& work);
    void deliver(const ReceivedFrames& frames);
    void keepForLater(const ReceivedFrames& frames);
    void takeWhatWaited();

    // A block that came while held, for the sinks that wait for the store.
    struct HeldBlock {
        std::chrono::system_clock::time_point received;
        std::string captureBytes;
        std::string hexLines;
        std::vector<std::string> keptFrames;
    };

    Session& session_;
    Observer& observer_;
    std::unique_ptr<FrameSource> source_;
    std::vector<std::unique_ptr<FrameSink>> sinks_;
    KissFrameSplitter splitter_{kLongestFrame};
    LiveCounts counts_;
    std::string stoppedFor_;
    bool held_ = false;
    std::deque<HeldBlock> heldBlocks_;
    std::size_t heldBytes_ = 0;
    long heldDropped_ = 0; // frames past kLongestHold during the hold
    // Buffers of one block, kept for their room.
    std::string captureBytes_;
    std::string hexLines_;
    std::vector<std::string> keptFrames_;
};

} // namespace zelto
