#include "import/kiss_frames.h"

#include "support/kiss_capture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

// The frames of a capture fed in blocks of the given size.
std::vector<std::string> splitFrames(std::string_view capture, std::size_t blockSize) {
    std::vector<std::string> frames;
    KissFrameSplitter splitter;
    for (std::size_t pos = 0; pos < capture.size(); pos += blockSize)
        splitter.feed(capture.substr(pos, blockSize),
                      [&](std::string_view frame) { frames.emplace_back(frame); });
    return frames;
}

std::vector<std::string> splitFrames(std::string_view capture) {
    return splitFrames(capture, 1 << 16);
}

std::string withoutEscapes(std::string_view raw) {
    std::string out;
    appendWithoutEscapes(out, raw);
    return out;
}

std::string hexLine(std::string_view raw) {
    std::string out;
    appendKissHexLine(out, raw);
    return out;
}

} // namespace

TEST(KissFrameSplitter, TakesTheRunsBetweenDelimiters) {
    const std::string a = bytesOf({0x00, 0x01, 0x02});
    const std::string b = bytesOf({0x10, 0x03});
    // Each frame closed and the next opened: C0 C0 between frames.
    EXPECT_EQ(splitFrames("\xC0" + a + "\xC0\xC0" + b + "\xC0"), (std::vector{a, b}));
    // One C0 shared between frames, as real KISS streams run.
    EXPECT_EQ(splitFrames("\xC0" + a + "\xC0" + b + "\xC0"), (std::vector{a, b}));
    // Repeated C0s anywhere are empty runs, not frames.
    EXPECT_EQ(splitFrames("\xC0\xC0\xC0" + a + "\xC0\xC0\xC0\xC0" + b + "\xC0\xC0"),
              (std::vector{a, b}));
}

TEST(KissFrameSplitter, DropsWhatIsNotBetweenTwoDelimiters) {
    const std::string a = bytesOf({0x00, 0x01, 0x02});
    EXPECT_EQ(splitFrames("garbage" + a + "\xC0" + a + "\xC0"), (std::vector{a}));
    EXPECT_EQ(splitFrames("\xC0" + a + "\xC0" + a), (std::vector{a}));
    EXPECT_EQ(splitFrames("\xC0" + a + "\xC0\xC0"), (std::vector{a}));
    EXPECT_TRUE(splitFrames("").empty());
    EXPECT_TRUE(splitFrames("\xC0").empty());
    EXPECT_TRUE(splitFrames("\xC0\xC0").empty());
    EXPECT_TRUE(splitFrames(a).empty());
    EXPECT_TRUE(splitFrames("\xC0" + a).empty());
}

TEST(KissFrameSplitter, FramesCrossingBlockBoundariesComeOutWhole) {
    std::vector<std::string> frames;
    for (int i = 0; i < 40; ++i)
        frames.push_back(plainFrame(static_cast<std::size_t>(1 + i * 37), static_cast<char>(i)));
    const std::string capture = "junk" + kissStream(frames) + "\x00\x01";
    for (const std::size_t block : {1u, 2u, 7u, 64u, 1000u, 1u << 16})
        EXPECT_EQ(splitFrames(capture, block), frames) << "block " << block;
}

TEST(KeptFrame, BoundsCountRawBytesEscapePairsIncluded) {
    EXPECT_FALSE(isKeptFrame(plainFrame(66)));
    EXPECT_TRUE(isKeptFrame(plainFrame(67)));
    EXPECT_TRUE(isKeptFrame(plainFrame(333)));
    EXPECT_FALSE(isKeptFrame(plainFrame(334)));
    // 66 frame bytes, one of them C0, stand as 67 bytes in the capture.
    std::string frame = plainFrame(66);
    frame[5] = '\xC0';
    EXPECT_TRUE(isKeptFrame(kissEscaped(frame)));
    // 333 frame bytes, one of them DB, stand as 334.
    frame = plainFrame(333);
    frame[5] = '\xDB';
    EXPECT_FALSE(isKeptFrame(kissEscaped(frame)));
}

TEST(KissEscapes, ResolveAsTheTokenRulesSay) {
    EXPECT_EQ(withoutEscapes(bytesOf({0x00, 0xDB, 0xDC, 0x01})), bytesOf({0x00, 0xC0, 0x01}));
    EXPECT_EQ(withoutEscapes(bytesOf({0x00, 0xDB, 0xDD, 0x01})), bytesOf({0x00, 0xDB, 0x01}));
    EXPECT_EQ(withoutEscapes(bytesOf({0x00, 0xDB, 0x41, 0x01})), bytesOf({0x00, 0x01}));
    EXPECT_EQ(withoutEscapes(bytesOf({0x00, 0x01, 0xDB})), bytesOf({0x00, 0x01}));
    EXPECT_EQ(withoutEscapes(bytesOf({0xDB, 0xDB, 0xDD})), bytesOf({0xDD}));
    EXPECT_EQ(withoutEscapes(bytesOf({0xDB, 0xDC, 0xDB, 0xDD})), bytesOf({0xC0, 0xDB}));
    EXPECT_EQ(withoutEscapes(bytesOf({0xDC, 0xDD})), bytesOf({0xDC, 0xDD}));
}

TEST(KissHexLine, IsTheResolvedBytesAsTokensEndedByCrLf) {
    EXPECT_EQ(hexLine(bytesOf({0x00, 0xDB, 0xDC, 0x1A})), "00 C0 1A \r\n");
    EXPECT_EQ(hexLine(bytesOf({0x00, 0xDB, 0xDD, 0xFF})), "00 DB FF \r\n");
    EXPECT_EQ(hexLine(bytesOf({0x00, 0xDB, 0x41, 0x02})), "00 02 \r\n");
    EXPECT_EQ(hexLine(bytesOf({0x10, 0x02, 0xDB})), "10 02 \r\n");
    EXPECT_EQ(hexLine(""), "\r\n");
    // Any frame goes through a KISS client and back unchanged.
    const std::string frame = bytesOf({0x00, 0xC0, 0xDB, 0xDC, 0xDD, 0xC0, 0xC0, 0xDB, 0x7F});
    EXPECT_EQ(hexLine(kissEscaped(frame)), hexTokens(frame) + "\r\n");
}
