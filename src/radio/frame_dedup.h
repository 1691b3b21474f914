#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace zelto {

// Lets one copy through of a frame that several slicers, sampling phases or both line paths
// found. Copies of one transmission end within a few symbols of each other, and the
// satellite cannot send a frame again sooner than its own air time later: a frame seen within
// half its air time is a copy, and a repeat later on comes again.
class FrameDedup {
  public:
    // True for the first copy; `atSeconds` is where the frame ends in the signal.
    bool firstCopy(std::string_view frame, double atSeconds);

  private:
    struct Seen {
        std::string frame;
        double atSeconds;
    };
    std::deque<Seen> recent_;
};

} // namespace zelto
