#pragma once

#include "commands/live_state.h"

#include <chrono>
#include <string>
#include <string_view>

namespace zelto {

// Where a live session's frames come from: a KISS TCP server, a sound card, an audio pipe.
// A source hands on a KISS byte stream (C0, command byte, frame, C0), cut anywhere.
class FrameSource {
  public:
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void bytes(std::string_view kissStream,
                           std::chrono::system_clock::time_point received) = 0;
        // The stream broke off: a frame begun will not be finished.
        virtual void broken() = 0;
        virtual void changed() = 0;
    };

    virtual ~FrameSource() = default;

    virtual std::string kind() const = 0; // "KISS"
    virtual std::string name() const = 0; // "localhost:8100"

    virtual void start(Listener& listener) = 0;
    // Ends the source; what it has received is handed on first.
    virtual void stop() = 0;
    // While held, what comes waits (bounded); on release it is handed on.
    virtual void hold(bool held) = 0;
    virtual SourceState state() const = 0;
    // While waiting to try again: tries at once.
    virtual void retryNow() {}
};

} // namespace zelto
