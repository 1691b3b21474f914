#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// A frame as the network of stations keeps it: its bytes from the beacon's own first byte,
// and when it was received.
struct NetworkFrame {
    std::int64_t receivedMs = 0; // milliseconds since 1970, UTC
    std::string bytes;
};

struct NetworkFrames {
    std::vector<NetworkFrame> frames; // in the order of the file
    long passedOver = 0;              // lines or entries that were no frame
};

// The SatNOGS DB's download: one frame a line, "YYYY-MM-DD HH:MM:SS|HEX" (hex digits of
// either case, no blanks). Empty lines are no lines; any other line that is not a frame is
// passed over and counted.
NetworkFrames readSatnogsCsv(std::string_view text);

// The DB's telemetry API: an array of objects with at least "frame" (hex) and "timestamp"
// (ISO 8601), or an object whose "results" holds such an array. Entries that are no frame
// are passed over and counted; text that is not such JSON at all throws RunError naming
// `fileName`.
NetworkFrames readSatnogsJson(std::string_view text, std::string_view fileName);

// The hex digits of a frame as bytes; false for an odd count, another character, or none.
bool hexDigitsToBytes(std::string_view digits, std::string& bytes);

// The HEX frame file of the frames, oldest first (frames of the same time in file order):
// per frame "00 " (in the place of a KISS command byte), its bytes as tokens, CR LF.
std::string networkFramesHexFile(std::vector<NetworkFrame> frames);

} // namespace zelto
