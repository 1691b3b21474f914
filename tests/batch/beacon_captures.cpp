#include "batch/beacon_captures.h"

#include <cctype>

namespace zelto::test {

std::string kissEscaped(std::string_view frame) {
    std::string out;
    for (char c : frame) {
        if (c == '\xC0')
            out += "\xDB\xDC";
        else if (c == '\xDB')
            out += "\xDB\xDD";
        else
            out += c;
    }
    return out;
}

std::string kissCapture(const std::vector<std::string>& frames) {
    std::string out;
    for (const auto& frame : frames)
        out += "\xC0" + kissEscaped(frame) + "\xC0";
    return out;
}

std::string textCapture(const std::vector<std::string>& frames) {
    std::string out;
    int n = 0;
    for (const auto& frame : frames) {
        out += std::to_string(++n) +
               ":Fm PY4ZBZ-1 To ATHENX <UI C Len=" + std::to_string(frame.size() - 1) + ">\n";
        std::string data = hexTokens(frame.substr(1));
        data.pop_back();
        for (auto& c : data)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out += data + "\n";
    }
    return out;
}

std::string imageReportLine(ImageKind kind, std::string_view id4, int imageSize, int frameNumber) {
    return std::string(kind == ImageKind::Thumbnail ? "Thumbn. ID : " : "Puzzle. ID : ") +
           idText(id4) + "  Size = " + std::to_string(imageSize) + " bytes in " +
           std::to_string(imageSize / 200 + 1) +
           " frames. Rem.= " + std::to_string(imageSize % 200) +
           "  Frame # = " + std::to_string(frameNumber);
}

std::vector<std::string> imageReportLines(ImageKind kind, std::string_view id4,
                                          std::string_view image) {
    const int size = static_cast<int>(image.size());
    std::vector<std::string> out;
    for (int f = size / 200 + 1; f >= 1; --f)
        out.push_back(imageReportLine(kind, id4, size, f));
    return out;
}

std::string lines(const std::vector<std::string>& text) {
    std::string out;
    for (const auto& line : text)
        out += line + "\n";
    return out;
}

} // namespace zelto::test
