#pragma once

#include "support/test_support.h"

#include <string>
#include <string_view>
#include <vector>

namespace zelto::test {

// A KISS capture of frames (byte 0 being the command byte): C0, the frame with C0 sent as
// DB DC and DB as DB DD, C0, for each frame.
std::string kissCapture(const std::vector<std::string>& frames);
// The frame as the KISS capture carries it: escapes in place.
std::string kissEscaped(std::string_view frame);

// A monitor text capture: for each frame a header line, then the data line of the frame's
// bytes from byte 1 on, in lower-case hex pairs, LF line ends.
std::string textCapture(const std::vector<std::string>& frames);

// The report line of an image frame as the decoding pass writes it.
std::string imageReportLine(ImageKind kind, std::string_view id4, int imageSize, int frameNumber);
// The report lines of imageFrames(kind, id4, image).
std::vector<std::string> imageReportLines(ImageKind kind, std::string_view id4,
                                          std::string_view image);

// Lines joined, each with an LF end.
std::string lines(const std::vector<std::string>& text);

} // namespace zelto::test
