// The day's capture of a live session: kiss-YYYY-MM-DD.kss and its HEX frame file.
#include "import/day_capture.h"

#include "core/file_io.h"
#include "import/kiss_frames.h"

#include <ctime>

namespace zelto {

std::string DayCapture::dayName(Clock::time_point time) {
    const std::time_t seconds = Clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char name[32];
    std::strftime(name, sizeof name, "kiss-%Y-%m-%d", &utc);
    return name;
}

void DayCapture::write(Clock::time_point received, std::string_view captureBytes,
                       std::string_view hexLines) {
    const std::string day = dayName(received);
    const std::filesystem::path capture = workFolder_ / (day + ".kss");
    const std::filesystem::path hex = workFolder_ / (day + ".HEX");
    if (day != day_) {
        // A session killed in the middle of a write left part of a frame or of a line at the
        // end; the next whole one must not run into it.
        cutAfterLast(capture, static_cast<char>(kKissDelimiter));
        cutAfterLast(hex, '\n');
        day_ = day;
    }
    if (!captureBytes.empty())
        appendBlock(capture, captureBytes);
    if (!hexLines.empty())
        appendBlock(hex, hexLines);
}

} // namespace zelto
