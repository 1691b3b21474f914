#pragma once

#include "capture_writers.h"
#include "pictures.h"

#include <cstdint>

namespace zelto::bench {

struct DayPlan {
    std::uint64_t seed = 1;
    long frames = 50000;
    // Every frame of interest turned into another beacon frame of the same length.
    bool quiet = false;
    // A real picture that about half of the images are cut from; may be null.
    const RgbPicture* picture = nullptr;
};

// What a day's capture holds, frames counted as written.
struct DayCounts {
    long text = 0;
    long icon = 0;
    long thumbnail = 0;
    long puzzle = 0;
    long other = 0;
    long unkept = 0;
    long images = 0;
    long passes = 0;
};

// A day of passes over one station: each pass hears a stretch of the beacon, loses some
// frames, hears a few twice; between passes the satellite is out of sight. Stops after
// exactly `frames` frames.
DayCounts writeDay(const DayPlan& plan, CaptureWriter& out);

} // namespace zelto::bench
