// How far an image has come: frames in, and the frame numbers still missing.
#include "store/image_progress.h"

namespace zelto {

std::string receivedFramesText(const PresentFrames& frames, long frameCount) {
    long received = 0;
    for (const auto& [number, bytes] : frames)
        if (number >= 1 && number <= frameCount)
            ++received;
    return std::to_string(received) + " of " + std::to_string(frameCount) + " frames";
}

std::string missingFramesMap(const PresentFrames& frames, long frameCount) {
    std::string map;
    auto addRun = [&map](long first, long last) {
        map += map.empty() ? "missing " : ", ";
        map += std::to_string(first);
        if (last > first)
            map += "-" + std::to_string(last);
    };
    long runStart = 0; // 0: not inside a run of missing frames
    for (long f = 1; f <= frameCount; ++f) {
        const bool missing = !frames.contains(f);
        if (missing && runStart == 0)
            runStart = f;
        if (!missing && runStart != 0) {
            addRun(runStart, f - 1);
            runStart = 0;
        }
    }
    if (runStart != 0)
        addRun(runStart, frameCount);
    return map.empty() ? "missing none" : map;
}

} // namespace zelto
