// A KISS capture, cut into read blocks anywhere, must give the same HEX lines as the
// capture read whole, and the same lines as a plain reading of the KISS rules.
#include "fuzz_support.h"
#include "import/hex_frame_file.h"
#include "import/kiss_frames.h"

#include <string>
#include <vector>

using namespace zelto;

namespace {

std::vector<std::string> splitFrames(std::string_view capture, std::size_t blockSize) {
    std::vector<std::string> frames;
    KissFrameSplitter splitter;
    for (std::size_t at = 0; at < capture.size(); at += blockSize)
        splitter.feed(capture.substr(at, blockSize),
                      [&](std::string_view frame) { frames.emplace_back(frame); });
    return frames;
}

// The rules read plainly: the runs between two C0, empty ones dropped, and nothing before
// the first C0 or after the last.
std::vector<std::string> referenceFrames(std::string_view capture) {
    std::vector<std::string> frames;
    const std::size_t first = capture.find(char(kKissDelimiter));
    if (first == std::string_view::npos)
        return frames;
    std::size_t begin = first + 1;
    for (std::size_t end;
         (end = capture.find(char(kKissDelimiter), begin)) != std::string_view::npos;
         begin = end + 1)
        if (end > begin)
            frames.emplace_back(capture.substr(begin, end - begin));
    return frames;
}

void checkHexLine(std::string_view frame) {
    std::string line;
    appendKissHexLine(line, frame);
    std::string bytes;
    appendWithoutEscapes(bytes, frame);
    std::string expected;
    appendHexTokens(expected, bytes);
    expected.append(kHexLineEnd);
    if (line != expected)
        fuzz::fail("HEX line differs from the hex tokens of the unescaped frame");
    if (bytes.size() > frame.size())
        fuzz::fail("unescaping made a frame longer");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the read block size, so that frames cross block boundaries.
    const std::size_t blockSize = 1 + data[0] % 64;
    const std::string_view capture = fuzz::bytesOf(data + 1, size - 1);

    const std::vector<std::string> whole = splitFrames(capture, capture.size() + 1);
    if (splitFrames(capture, blockSize) != whole)
        fuzz::fail("frames depend on where the read blocks end");
    if (referenceFrames(capture) != whole)
        fuzz::fail("frames differ from the KISS rules");
    for (const std::string& frame : whole)
        if (isKeptFrame(frame))
            checkHexLine(frame);
    return 0;
}
