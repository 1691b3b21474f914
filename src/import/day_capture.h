#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelto {

// What a live session keeps of what it receives, one pair of files per UTC day in the
// working folder: kiss-YYYY-MM-DD.kss holds every whole frame as it came (C0, its bytes,
// C0), so that Open .KSS file of it decodes the day again, and kiss-YYYY-MM-DD.HEX the HEX
// line of every frame kept for decoding.
class DayCapture {
  public:
    using Clock = std::chrono::system_clock;

    explicit DayCapture(std::filesystem::path workFolder) : workFolder_(std::move(workFolder)) {}

    // "kiss-2026-12-09": the day's files without their extension.
    static std::string dayName(Clock::time_point time);

    // Frames received together: their capture bytes and their HEX lines, one write to each
    // of the day's files. Throws RunError when either cannot be written; what a failed write
    // began is taken back.
    void write(Clock::time_point received, std::string_view captureBytes,
               std::string_view hexLines);

  private:
    std::filesystem::path workFolder_;
    std::string day_; // the day whose files have been checked
};

} // namespace zelto
