// The panes of a live session: report lines with their time of reception, lists without
// repeats.
#include "app/session_panes.h"

#include <cstdio>
#include <ctime>

namespace zelto {

namespace {
constexpr std::size_t kTimeLength = 9; // "10:56:02 "

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::string SessionPanes::timeOfDay(std::chrono::system_clock::time_point time) {
    const std::time_t whole = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d ", utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string_view SessionPanes::withoutTime(std::string_view line) {
    if (line.size() < kTimeLength || line[2] != ':' || line[5] != ':' || line[8] != ' ')
        return line;
    for (const std::size_t at : {0, 1, 3, 4, 6, 7})
        if (!isDigit(line[at]))
            return line;
    return line.substr(kTimeLength);
}

void SessionPanes::setReceived(std::chrono::system_clock::time_point received) {
    time_ = timeOfDay(received);
}

void SessionPanes::reportAppend(std::string_view line) {
    window_.reportAppend(time_ + std::string(line));
}

void SessionPanes::listAppend(ListPane list, std::string_view entry) {
    // Only a joined image is listed in ListBox2 during a session.
    if (list == ListPane::ListBox2)
        reportAppend("Image: " + std::string(entry));
    if (!window_.listHas(list, entry))
        window_.listAppend(list, entry);
}

} // namespace zelto
