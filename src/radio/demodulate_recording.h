#pragma once

#include "radio/beacon_demodulator.h"

#include <filesystem>
#include <functional>

namespace zelto {

// Demodulates a whole recording in blocks: onFrame gets the frames in order, progress the
// samples done against the recording's length, once a block; returns the stats at the end.
// Throws RunError when the file cannot be read as audio.
ReceptionStats
demodulateRecording(const std::filesystem::path& file,
                    const BeaconDemodulator::FrameHandler& onFrame,
                    const std::function<void(long long done, long long total)>& progress = {});

} // namespace zelto
