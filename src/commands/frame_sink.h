#pragma once

#include "commands/live_state.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// The whole frames of one block that a source brought.
struct ReceivedFrames {
    std::chrono::system_clock::time_point received;
    std::string_view captureBytes;              // every frame as it came: C0, its bytes, C0
    std::string_view hexLines;                  // the HEX line of every frame of the kept length
    const std::vector<std::string>& keptFrames; // those frames, escapes resolved
};

// What a sink may tell the session it belongs to.
class SinkHost {
  public:
    virtual ~SinkHost() = default;
    // A message for the operator, told once.
    virtual void tell(const std::string& text) = 0;
    // Something the sink adds to the session's state changed.
    virtual void sinkChanged() = 0;
};

// Where a live session's frames go: the day's capture, the decoder and store, a SiDS
// server, the clients of a KISS server. Sinks take each block in the order they were given.
class FrameSink {
  public:
    virtual ~FrameSink() = default;

    // Tells sinks apart, for a session that replaces or removes one while it runs.
    virtual std::string kind() const { return {}; }
    // A sink that reads the store waits while another command may change it; the others
    // (the day's capture, forwarding) take every block as it comes.
    virtual bool waitsForStore() const { return false; }

    virtual void attach(SinkHost& /*host*/) {}
    // Throws RunError when what the sink keeps cannot be written: the session ends.
    virtual void take(const ReceivedFrames& frames) = 0;
    // Another command may have changed the store.
    virtual void storeChanged() {}
    // Adds what the sink knows to the session's state.
    virtual void describe(LiveState& /*state*/) const {}
};

} // namespace zelto
