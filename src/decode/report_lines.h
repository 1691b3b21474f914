#pragma once

#include "decode/frame_fields.h"

#include <string>

namespace zelto {

// The report pane's line for each kind of frame. Every prefix is 13 characters, so the
// ID of a text frame's line stands at characters 14 to 24 and its description from 27.
std::string textReportLine(const TextFrame& frame);
std::string iconReportLine(const IconFrame& frame);
std::string imageReportLine(FrameType type, const ImageFrame& frame);

inline constexpr const char* kNoValidFrames = " >>>  No valid frames found!";

} // namespace zelto
