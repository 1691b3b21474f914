#pragma once

#include <string>
#include <string_view>

namespace zelto {

// A data line of a monitor text capture begins "00 ": the frame's bytes as hexadecimal
// pairs. Every other line, an empty one included, is a header line.
bool isDataLine(std::string_view line);

// Decides, line by line, which data lines of a text capture are frames: a data line
// counts exactly when the line directly before it is a header line. Monitors write one
// header before each frame; a data line with no header of its own (a continuation, or
// the first line of a cut recording) is passed over.
class DataLinePairing {
  public:
    // Whether this line, the next of the capture, is converted.
    bool converts(std::string_view line);

  private:
    bool afterHeader_ = false;
};

// The HEX line of a data line: "00 " for the command byte a KISS capture would carry,
// the line with a to z upper-cased, a final blank and CR LF.
void appendTextHexLine(std::string& out, std::string_view dataLine);

} // namespace zelto
