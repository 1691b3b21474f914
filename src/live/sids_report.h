#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace zelto {

// What forwarding frames to the network of stations needs to know of the station.
struct StationSettings {
    bool forwarding = false; // off unless the operator turns it on
    std::string callsign;
    double latitude = 0;  // decimal degrees, north positive
    double longitude = 0; // decimal degrees, east positive
    long noradId = 0;     // the satellite's catalogue number; no default
    std::string serverUrl = "https://db.satnogs.org/api/telemetry/";
};

// The longest callsign the SatNOGS DB keeps in its station field, in characters.
inline constexpr std::size_t kLongestCallsign = 45;

// Why the callsign cannot be forwarded, as "has 46 characters, ...", empty when it can.
std::string callsignProblem(std::string_view callsign);
// Why these settings cannot forward frames, empty when they can.
std::string stationSettingsProblem(const StationSettings& settings);

// The UTC time of reception as SiDS wants it: "2026-12-09T10:56:02.800Z".
std::string sidsTimestamp(std::chrono::system_clock::time_point time);
// "12.345E" / "12.345W" and "45.678N" / "45.678S".
std::string sidsLongitude(double degrees);
std::string sidsLatitude(double degrees);

// Text encoded for an application/x-www-form-urlencoded body.
std::string formEncoded(std::string_view text);

// The body of the SiDS request for one frame: `frame` is the frame's bytes after the KISS
// command byte.
std::string sidsFormBody(const StationSettings& settings, std::string_view frame,
                         std::chrono::system_clock::time_point received, std::string_view version);

} // namespace zelto
