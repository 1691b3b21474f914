// The SiDS form of one frame, and the station settings it needs.
#include "live/sids_report.h"

#include "core/text.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace zelto {

std::string callsignProblem(std::string_view callsign) {
    // Characters, not bytes: UTF-8 continuation bytes do not count.
    std::size_t characters = 0;
    for (const char c : callsign)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters <= kLongestCallsign)
        return "";
    return "has " + std::to_string(characters) + " characters, more than the " +
           std::to_string(kLongestCallsign) + " the SatNOGS DB keeps";
}

std::string stationSettingsProblem(const StationSettings& settings) {
    if (settings.callsign.empty())
        return "Forwarding frames needs the station's callsign";
    if (const std::string problem = callsignProblem(settings.callsign); !problem.empty())
        return "The station's callsign " + problem;
    if (settings.noradId <= 0)
        return "Forwarding frames needs the satellite's NORAD ID";
    if (!(settings.latitude >= -90 && settings.latitude <= 90))
        return "The station's latitude must lie between -90 and 90 degrees";
    if (!(settings.longitude >= -180 && settings.longitude <= 180))
        return "The station's longitude must lie between -180 and 180 degrees";
    if (!settings.serverUrl.starts_with("https://") && !settings.serverUrl.starts_with("http://"))
        return "The server address must begin with https:// or http://";
    return "";
}

std::string sidsTimestamp(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto since = time.time_since_epoch();
    const auto secondsPart = floor<seconds>(since);
    const std::time_t whole = static_cast<std::time_t>(secondsPart.count());
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ",
                  static_cast<int>(duration_cast<milliseconds>(since - secondsPart).count()));
    return text;
}

namespace {
std::string degrees(double value, char positive, char negative) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f%c", std::fabs(value), value < 0 ? negative : positive);
    return text;
}
} // namespace

std::string sidsLongitude(double value) {
    return degrees(value, 'E', 'W');
}

std::string sidsLatitude(double value) {
    return degrees(value, 'N', 'S');
}

std::string formEncoded(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '.' || b == '_' || b == '*') {
            out.push_back(c);
        } else if (b == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            appendHexByte(out, b);
        }
    }
    return out;
}

std::string sidsFormBody(const StationSettings& settings, std::string_view frame,
                         std::chrono::system_clock::time_point received, std::string_view version) {
    std::string hex;
    for (const char c : frame)
        appendHexByte(hex, static_cast<unsigned char>(c));
    return "noradID=" + std::to_string(settings.noradId) +
           "&source=" + formEncoded(settings.callsign) +
           "&timestamp=" + formEncoded(sidsTimestamp(received)) + "&frame=" + hex +
           "&locator=longLat&longitude=" + sidsLongitude(settings.longitude) +
           "&latitude=" + sidsLatitude(settings.latitude) + "&version=" + formEncoded(version);
}

} // namespace zelto
