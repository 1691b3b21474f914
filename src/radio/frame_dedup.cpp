// One copy of each frame that the demodulator's slicers find together.
#include "radio/frame_dedup.h"

#include <algorithm>
#include <cmath>

namespace zelto {

namespace {
constexpr double kBaud = 4800;
constexpr double kLongestWindow = 0.25; // seconds

double windowOf(std::size_t length) {
    return std::min(kLongestWindow, 0.5 * static_cast<double>((length + 2) * 8) / kBaud);
}
} // namespace

bool FrameDedup::firstCopy(std::string_view frame, double atSeconds) {
    while (!recent_.empty() && recent_.front().atSeconds < atSeconds - kLongestWindow)
        recent_.pop_front();
    const double window = windowOf(frame.size());
    for (const Seen& seen : recent_)
        if (std::abs(seen.atSeconds - atSeconds) < window && seen.frame == frame)
            return false;
    recent_.push_back({std::string(frame), atSeconds});
    return true;
}

} // namespace zelto
