// HDLC, NRZI and the G3RUH descrambler on known bits.
#include "radio/crc16_x25.h"
#include "radio/line_decoder.h"

#include "support/beacon_modulator.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

std::vector<std::string> decode(const std::vector<unsigned char>& levels) {
    std::vector<std::string> frames;
    LineDecoder decoder;
    for (const unsigned char level : levels)
        decoder.push(level,
                     [&](std::string_view frame, std::size_t) { frames.emplace_back(frame); });
    return frames;
}

std::vector<unsigned char> line(const std::vector<std::string>& frames, bool scrambled = true) {
    std::vector<unsigned char> bits = hdlcBits(frames, 4, 2);
    if (scrambled)
        scramble(bits);
    return nrziLevels(bits);
}

std::vector<unsigned char> inverted(std::vector<unsigned char> levels) {
    for (unsigned char& level : levels)
        level ^= 1;
    return levels;
}

// A frame whose FCS ends in five 1s, so that a stuffed 0 stands right before the flag.
std::string frameEndingInFiveOnes() {
    std::string frame(20, '\xFF');
    for (int i = 0;; ++i) {
        frame[0] = static_cast<char>(i);
        const auto fcs =
            crc16X25(reinterpret_cast<const unsigned char*>(frame.data()), frame.size());
        if ((fcs >> 8 & 0xF8) == 0xF8)
            return frame;
    }
}

} // namespace

TEST(Crc16X25, MatchesTheCheckValue) {
    EXPECT_EQ(crc16X25(reinterpret_cast<const unsigned char*>("123456789"), 9), 0x906E);
}

TEST(LineDecoder, GivesFramesOfEitherPolarityScrambledOrNot) {
    const std::vector<std::string> frames = {std::string(15, 'a'), std::string(1000, '\x7E'),
                                             std::string(40, '\xFF') + "\x7E\x7E\xC0\xDB",
                                             frameEndingInFiveOnes()};
    for (const bool scrambled : {true, false}) {
        SCOPED_TRACE(scrambled);
        EXPECT_EQ(decode(line(frames, scrambled)), frames);
        EXPECT_EQ(decode(inverted(line(frames, scrambled))), frames);
    }
}

TEST(LineDecoder, DropsFramesTooShortOrTooLong) {
    const std::string shortest(15, 's'), longest(1000, 'l');
    EXPECT_EQ(decode(line({std::string(14, 's'), shortest, std::string(1001, 'l'), longest})),
              (std::vector{shortest, longest}));
}

TEST(LineDecoder, NeverHandsOnAFrameWhoseFcsFails) {
    const std::string frame = "a frame of some thirty bytes..";
    const std::vector<unsigned char> bits = hdlcBits({frame}, 2, 2);
    // Every single bit wrong between the flags, stuffing and FCS included.
    for (std::size_t at = 16; at + 16 < bits.size(); ++at) {
        std::vector<unsigned char> spoilt = bits;
        spoilt[at] ^= 1;
        scramble(spoilt);
        ASSERT_TRUE(decode(nrziLevels(spoilt)).empty()) << at;
    }
    // A frame cut off and another run on after a false flag.
    std::vector<unsigned char> cut = hdlcBits({frame}, 2, 0);
    cut.resize(cut.size() - 40);
    const std::vector<unsigned char> flag = hdlcBits({}, 1, 0);
    cut.insert(cut.end(), flag.begin(), flag.end());
    scramble(cut);
    EXPECT_TRUE(decode(nrziLevels(cut)).empty());
}

TEST(LineDecoder, SevenOnesAbortAFrameAndTheNextOneComes) {
    const std::string first(30, 'f'), second(30, 's');
    std::vector<unsigned char> bits = hdlcBits({first}, 2, 0);
    bits.insert(bits.begin() + 16 + 100, 7, 1);
    const std::vector<unsigned char> more = hdlcBits({second}, 1, 1);
    bits.insert(bits.end(), more.begin(), more.end());
    scramble(bits);
    EXPECT_EQ(decode(nrziLevels(bits)), (std::vector{second}));
}
