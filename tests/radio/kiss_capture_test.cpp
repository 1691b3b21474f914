// Demodulated frames written as a KISS capture.
#include "radio/kiss_capture.h"

#include "import/kiss_frames.h"

#include <gtest/gtest.h>

using namespace zelto;

TEST(KissCapture, EscapesDelimitersAndEscapesAndSplitsBackByteForByte) {
    using namespace std::string_literals;
    const std::string frames[] = {"\x00\x01\xC0\x02\xDB\x03"s, "\x00\xDB\xDC\xC0\xC0"s};
    std::string capture;
    for (const std::string& frame : frames)
        appendKissFrame(capture, frame);
    EXPECT_EQ(capture, "\xC0\x00\x01\xDB\xDC\x02\xDB\xDD\x03\xC0"
                       "\xC0\x00\xDB\xDD\xDC\xDB\xDC\xDB\xDC\xC0"s);
    std::vector<std::string> back;
    KissFrameSplitter splitter;
    splitter.feed(capture, [&](std::string_view raw) {
        std::string frame;
        appendWithoutEscapes(frame, raw);
        back.push_back(frame);
    });
    EXPECT_EQ(back, (std::vector<std::string>{frames[0], frames[1]}));
}
