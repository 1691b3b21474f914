// The sink that keeps a live session's frames in the day's capture and HEX frame file.
#include "commands/day_capture_sink.h"

namespace zelto {

void DayCaptureSink::take(const ReceivedFrames& frames) {
    day_.write(frames.received, frames.captureBytes, frames.hexLines);
    if (!frames.captureBytes.empty())
        session_.writes.noteChange(session_.workFolder);
}

} // namespace zelto
