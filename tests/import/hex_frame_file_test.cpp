#include "import/hex_frame_file.h"

#include <gtest/gtest.h>

using namespace zelto;

TEST(ByteToHex, GivesTwoUpperCaseDigits) {
    EXPECT_EQ(byteToHex(0), "00");
    EXPECT_EQ(byteToHex(10), "0A");
    EXPECT_EQ(byteToHex(192), "C0");
    EXPECT_EQ(byteToHex(255), "FF");
    for (int b = 0; b < 256; ++b) {
        const std::string hex = byteToHex(static_cast<unsigned char>(b));
        ASSERT_EQ(hex.size(), 2u);
        EXPECT_EQ(std::stoi(hex, nullptr, 16), b);
        EXPECT_EQ(hex.find_first_of("abcdef"), std::string::npos) << hex;
    }
}

TEST(HexTokens, EveryTokenCarriesItsBlank) {
    std::string out = "x";
    appendHexTokens(out, std::string_view("\x00\x0A\xC0\xFF", 4));
    EXPECT_EQ(out, "x00 0A C0 FF ");
    out.clear();
    appendHexTokens(out, "");
    EXPECT_EQ(out, "");
}

TEST(HexFileName, ReplacesTheExtensionFromTheLastDot) {
    EXPECT_EQ(hexFileName("pass1.kss"), "pass1.HEX");
    EXPECT_EQ(hexFileName("a.b.txt"), "a.b.HEX");
    EXPECT_EQ(hexFileName("data"), "data.HEX");
    EXPECT_EQ(hexFileName("pass1."), "pass1.HEX");
    EXPECT_EQ(hexFileName(".kss"), ".HEX");
    EXPECT_EQ(hexFileName("pass1.HEX"), "pass1.HEX");
}

TEST(HexFilePath, IsInTheWorkingFolderAndLooksAtTheFileNameOnly) {
    EXPECT_EQ(hexFilePath("/captures/pass1.kss", "/sat"), std::filesystem::path("/sat/pass1.HEX"));
    EXPECT_EQ(hexFilePath("/cap.tures/data", "/sat"), std::filesystem::path("/sat/data.HEX"));
    EXPECT_EQ(hexFilePath("pass2.txt", "/sat/"), std::filesystem::path("/sat/pass2.HEX"));
    EXPECT_EQ(hexFilePath("/a.b/c.d.kss", "/w.x"), std::filesystem::path("/w.x/c.d.HEX"));
}
