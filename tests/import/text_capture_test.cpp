#include "import/text_capture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zelto;

namespace {

// The lines of a capture that are converted, in order.
std::vector<std::string> converted(const std::vector<std::string>& lines) {
    DataLinePairing pairing;
    std::vector<std::string> out;
    for (const auto& line : lines)
        if (pairing.converts(line))
            out.push_back(line);
    return out;
}

std::string hexLine(std::string_view dataLine) {
    std::string out;
    appendTextHexLine(out, dataLine);
    return out;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(DataLine, BeginsWithZeroZeroBlank) {
    EXPECT_TRUE(isDataLine("00 82 05"));
    EXPECT_TRUE(isDataLine("00 "));
    EXPECT_FALSE(isDataLine("00"));
    EXPECT_FALSE(isDataLine(" 00 82"));
    EXPECT_FALSE(isDataLine("0 0 82"));
    EXPECT_FALSE(isDataLine("00\t82"));
    EXPECT_FALSE(isDataLine(""));
}

TEST(DataLinePairing, TakesADataLineRightAfterAHeaderLine) {
    EXPECT_EQ(converted({"h1", "00 01", "h2", "00 02"}), (Lines{"00 01", "00 02"}));
    EXPECT_EQ(converted({"h1", "h2", "00 01"}), (Lines{"00 01"}));
    EXPECT_EQ(converted({"h1", "", "00 01", "", "h2", "00 02"}), (Lines{"00 01", "00 02"}));
    EXPECT_EQ(converted({"h1", "00 01", "00 02"}), (Lines{"00 01"}));
    EXPECT_EQ(converted({"00 01", "h1", "00 02"}), (Lines{"00 02"}));
    EXPECT_EQ(converted({"00 01", "00 02"}), Lines{});
    EXPECT_EQ(converted({"h1", "00 01", "h2"}), (Lines{"00 01"}));
    EXPECT_EQ(converted({}), Lines{});
}

TEST(TextHexLine, AddsTheCommandTokenUpperCasesAndEndsWithABlank) {
    EXPECT_EQ(hexLine("00 82 05 ab"), "00 00 82 05 AB \r\n");
    EXPECT_EQ(hexLine("00 82 05 AB "), "00 00 82 05 AB  \r\n");
    EXPECT_EQ(hexLine("00 fe <zz>\xe9"), "00 00 FE <ZZ>\xe9 \r\n");
}
