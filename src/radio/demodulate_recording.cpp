// A recording file through the beacon demodulator, block by block.
#include "radio/demodulate_recording.h"

#include "radio/recording_file.h"

#include "core/run_error.h"

#include <optional>
#include <vector>

namespace zelto {

namespace {
constexpr std::size_t kBlock = 1 << 15;
}

ReceptionStats
demodulateRecording(const std::filesystem::path& file,
                    const BeaconDemodulator::FrameHandler& onFrame,
                    const std::function<void(long long done, long long total)>& progress) {
    RecordingFile recording(file);
    std::optional<BeaconDemodulator> made;
    try {
        made.emplace(recording.sampleRate());
    } catch (const RunError& e) {
        throw RunError(file.filename().string() + ": " + e.what());
    }
    BeaconDemodulator& demodulator = *made;
    std::vector<float> block(kBlock);
    long long done = 0;
    while (const std::size_t got = recording.read(block.data(), block.size())) {
        demodulator.feed(block.data(), got, onFrame);
        done += static_cast<long long>(got);
        if (progress)
            progress(done, recording.length());
    }
    demodulator.finish(onFrame);
    return demodulator.stats();
}

} // namespace zelto
