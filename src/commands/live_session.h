#pragma once

#include "commands/frame_sink.h"
#include "commands/frame_source.h"
#include "commands/live_state.h"
#include "core/session.h"
#include "import/kiss_frames.h"

#include <memory>
#include <string>
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
        // Around the sinks' work on each block.
        virtual void framesArrive() {}
    };

    // Frames longer than this cannot be beacon frames; a source sending more is cut short.
    static constexpr std::size_t kLongestFrame = 64 * 1024;

    LiveSession(Session& session, Observer& observer);
    ~LiveSession() override;

    // Before start(), in the order that frames reach them.
    void addSink(std::unique_ptr<FrameSink> sink);
    void start(std::unique_ptr<FrameSource> source);
    // What has come in is taken first; a frame begun is dropped.
    void stop();
    bool active() const;

    // While a command that may change the store runs: frames wait, and when it returns the
    // sinks hear that the store may have changed before they take more.
    void hold(bool held);

    LiveState state() const;

  private:
    void bytes(std::string_view kissStream,
               std::chrono::system_clock::time_point received) override;
    void broken() override;
    void changed() override;
    void tell(const std::string& text) override;
    void sinkChanged() override;
    void take(std::string_view kissStream, std::chrono::system_clock::time_point received);

    Session& session_;
    Observer& observer_;
    std::unique_ptr<FrameSource> source_;
    std::vector<std::unique_ptr<FrameSink>> sinks_;
    KissFrameSplitter splitter_{kLongestFrame};
    LiveCounts counts_;
    std::string stoppedFor_;
    // Buffers of one block, kept for their room.
    std::string captureBytes_;
    std::string hexLines_;
    std::vector<std::string> keptFrames_;
};

} // namespace zelto
