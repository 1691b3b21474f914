#include "app/file_filter.h"
#include "live/text_codec.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

TEST(TextCodec, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toWindows1252(text), all);
}

TEST(TextCodec, MapsTheCodePage) {
    const QString text = fromWindows1252("\x80\x8A\x9F\x81\x8D\x8F\x90\x9D\xA0\xE9\xE3\xE7\xF5");
    const char16_t expected[] = {0x20AC, 0x0160, 0x0178, 0x0081, 0x008D, 0x008F, 0x0090,
                                 0x009D, 0x00A0, 0x00E9, 0x00E3, 0x00E7, 0x00F5};
    ASSERT_EQ(text.size(), static_cast<qsizetype>(std::size(expected)));
    for (qsizetype i = 0; i < text.size(); ++i)
        EXPECT_EQ(text[i].unicode(), expected[i]) << "at " << i;
    EXPECT_EQ(fromWindows1252("Text.   ID : "), QStringLiteral("Text.   ID : "));
}

TEST(TextCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toWindows1252(QString::fromUtf16(u"a\u20AC\u0100\u4E2Dz")), "a\x80??z");
    EXPECT_EQ(toWindows1252(QString()), "");
}

TEST(DialogFilter, OffersThePatternInBothLetterCases) {
    EXPECT_EQ(dialogFilter(QStringLiteral("HEX files(*.hex)"), QStringLiteral("*.hex")),
              QStringLiteral("HEX files(*.hex) (*.hex *.HEX)"));
    EXPECT_EQ(dialogFilter(QStringLiteral("Kiss files (*.kss)"), QStringLiteral("*.KSS")),
              QStringLiteral("Kiss files (*.kss) (*.kss *.KSS)"));
    EXPECT_EQ(dialogFilter(QStringLiteral("txt files (*.txt)"), QStringLiteral("*.txt")),
              QStringLiteral("txt files (*.txt) (*.txt *.TXT)"));
}

} // namespace
} // namespace zelto
