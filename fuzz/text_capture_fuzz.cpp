// A monitor text capture read through the program's file reader: its lines must be the
// capture's LF-separated lines, and every converted line a single well-formed HEX line.
#include "core/file_io.h"
#include "fuzz_support.h"
#include "import/text_capture.h"

#include <string>
#include <vector>

using namespace zelto;

namespace {

std::vector<std::string> referenceLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(begin, end - begin));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzz::Scratch scratch;
    const std::string_view text = fuzz::bytesOf(data, size);
    const auto capture = scratch.work() / "capture.txt";
    fuzz::writeFile(capture, text);

    std::vector<std::string> lines;
    {
        InputFile input(capture);
        std::string line;
        while (input.readLine(line))
            lines.push_back(line);
    }
    if (lines != referenceLines(text))
        fuzz::fail("lines read differ from the capture's lines");

    DataLinePairing pairing;
    bool previousIsHeader = false;
    for (const std::string& line : lines) {
        const bool converts = pairing.converts(line);
        if (converts != (isDataLine(line) && previousIsHeader))
            fuzz::fail("a data line converted without its header, or one missed");
        previousIsHeader = !isDataLine(line);
        if (!converts)
            continue;
        std::string hexLine;
        appendTextHexLine(hexLine, line);
        if (!hexLine.starts_with("00 ") || !hexLine.ends_with(" \r\n") ||
            hexLine.size() != line.size() + 6)
            fuzz::fail("HEX line not framed as \"00 \" + line + \" \\r\\n\"");
        if (hexLine.find('\n') != hexLine.size() - 1)
            fuzz::fail("HEX line holds a line end");
    }
    return 0;
}
