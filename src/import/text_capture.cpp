// Monitor text captures: the frames of a text file of hex byte pairs.
#include "import/text_capture.h"

#include "import/hex_frame_file.h"

namespace zelto {

bool isDataLine(std::string_view line) {
    return line.starts_with("00 ");
}

bool DataLinePairing::converts(std::string_view line) {
    const bool data = isDataLine(line);
    const bool converted = data && afterHeader_;
    afterHeader_ = !data;
    return converted;
}

void appendTextHexLine(std::string& out, std::string_view dataLine) {
    out.reserve(out.size() + dataLine.size() + 6);
    out.append("00 ");
    for (char c : dataLine) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        out.push_back(c);
    }
    out.push_back(' ');
    out.append(kHexLineEnd);
}

} // namespace zelto
