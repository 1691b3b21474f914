#pragma once

#include <optional>
#include <string>

namespace zelto {

// How a frame source stands.
struct SourceState {
    enum class Phase {
        Stopped,    // not started, or ended
        Connecting, // trying to reach it
        Connected,  // bringing frames (for a sound card: listening)
        Waiting,    // lost, trying again after a pause
    };
    Phase phase = Phase::Stopped;
    std::string reason;     // why the last connection failed or ended
    int secondsToRetry = 0; // while waiting
    std::string detail;     // what else the source tells, such as the input level
};

// What a live session has received so far.
struct LiveCounts {
    long frames = 0;   // whole frames, each kept in the day's capture
    long cut = 0;      // frames cut off by a lost connection, kept nowhere
    long overlong = 0; // runs dropped for being longer than any frame
    long failed = 0;   // frames kept but not decoded (their message was told)
};

// How forwarding to a SiDS server stands.
struct ForwardingState {
    bool dryRun = false;
    long sent = 0;
    long waiting = 0;
    std::string lastError; // empty once the server takes frames again
    int secondsToRetry = 0;
};

// A live session as the fronts word it: text is the program's own bytes (Windows-1252).
struct LiveState {
    std::string sourceKind; // "KISS", "Audio"
    std::string sourceName; // "localhost:8100", "[::1]:8001", a device's name
    SourceState source;
    LiveCounts counts;
    std::optional<ForwardingState> forwarding; // when frames are forwarded
    std::string stoppedFor;                    // the failure that ended the session
};

} // namespace zelto
