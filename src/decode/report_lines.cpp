// The report line of each kind of frame.
#include "decode/report_lines.h"

namespace zelto {

std::string textReportLine(const TextFrame& frame) {
    std::string line = "Text.   ID : " + frame.imageId + "  ";
    // A line break inside a description would split the report line.
    for (char c : frame.description)
        line.push_back(c == '\r' || c == '\n' ? ' ' : c);
    return line;
}

std::string iconReportLine(const IconFrame& frame) {
    return "Icon.   ID : " + frame.iconId + " Size = " + std::to_string(frame.size) + " bytes";
}

std::string imageReportLine(FrameType type, const ImageFrame& frame) {
    return std::string(type == FrameType::Thumbnail ? "Thumbn. ID : " : "Puzzle. ID : ") +
           frame.imageId + "  Size = " + std::to_string(frame.imageSize) + " bytes in " +
           std::to_string(frame.frameCount) + " frames. Rem.= " + std::to_string(frame.remainder) +
           "  Frame # = " + std::to_string(frame.frameNumber);
}

} // namespace zelto
