#include "core/run_error.h"
#include "core/text.h"

#include <gtest/gtest.h>

using namespace zelto;

TEST(Chars, CountsFromOneAndCutsAtTheEnd) {
    EXPECT_EQ(chars("abcdef", 2, 3), "bcd");
    EXPECT_EQ(chars("abcdef", 5, 9), "ef");
    EXPECT_EQ(chars("abc", 4, 2), "");
    EXPECT_EQ(chars("abc", 0, 2), "");
}

TEST(ParseInteger, ReadsDecimalAndDollarHexadecimal) {
    EXPECT_EQ(parseInteger("12"), 12);
    EXPECT_EQ(parseInteger("$012C"), 300);
    EXPECT_EQ(parseInteger("$2c"), 44);
    EXPECT_EQ(parseInteger("$A"), 10);
    EXPECT_EQ(parseInteger(" 7"), 7);
    EXPECT_EQ(parseInteger("-3"), -3);
}

TEST(ParseInteger, RefusesWhatIsNoNumber) {
    for (const char* bad : {"", "$", "$G1", "1 ", "12a", "$ 1", "ab"})
        EXPECT_FALSE(parseInteger(bad).has_value()) << bad;
}

TEST(ToInteger, FailsWithTheRunTimeMessage) {
    try {
        toInteger("$");
        FAIL();
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(), "'$' is not a valid integer value");
    }
}

TEST(IoErrorMessage, MapsTheOperatingSystemErrors) {
    EXPECT_EQ(ioErrorMessage(ENOENT), "File not found");
    EXPECT_EQ(ioErrorMessage(EACCES), "File access denied");
    EXPECT_EQ(ioErrorMessage(ENOSPC), "Disk full");
}
