#include "core/run_error.h"
#include "decode/frame_fields.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {
const std::string kId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
} // namespace

TEST(ClassifyLine, OnlyTheFourExactTypesCount) {
    EXPECT_EQ(classifyLine(hexTokens(textFrame(kId, "x"))), FrameType::Text);
    EXPECT_EQ(classifyLine(hexTokens(iconFrame(kId, "BM"))), FrameType::Icon);
    EXPECT_EQ(classifyLine(hexTokens(imageFrame(ImageKind::Thumbnail, kId, 10, 1, "x"))),
              FrameType::Thumbnail);
    EXPECT_EQ(classifyLine(hexTokens(imageFrame(ImageKind::Puzzle, kId, 10, 1, "x"))),
              FrameType::Puzzle);
    EXPECT_EQ(classifyLine("00 00 00 85 82 05 "), FrameType::None);
    EXPECT_EQ(classifyLine("00 00 00 86 82 02 "), FrameType::None);
    EXPECT_EQ(classifyLine("00 00 00 85 82 0"), FrameType::None);
    EXPECT_EQ(classifyLine("00 00 00 85 82 0a"), FrameType::None);
    EXPECT_EQ(classifyLine(""), FrameType::None);
}

TEST(FieldReading, WordsAreLittleEndianAndEitherCase) {
    const std::string line = "00 00 00 85 82 04 0A 1B 2C 3D 64 2c 01 0a 00 ";
    EXPECT_EQ(readByteField(line, 10), 100);
    EXPECT_EQ(readWordField(line, 11), 300);
    EXPECT_EQ(readWordField(line, 13), 10);
    const ImageFrame frame = readImageFrame(line);
    EXPECT_EQ(frame.imageId, "0A 1B 2C 3D");
    EXPECT_EQ(frame.frameCount, 2);
    EXPECT_EQ(frame.frameNumberText, "0a 00");
}

TEST(FieldReading, AFieldBeyondAShortLineFailsWithTheParsedText) {
    EXPECT_EQ(messageOf([] { readWordField("00 00 00 85 82 04 ", 11); }),
              "'$' is not a valid integer value");
    EXPECT_EQ(readByteField("00 A", 1), 10);
    EXPECT_EQ(messageOf([] { readByteField("00 G1 ", 1); }), "'$G1' is not a valid integer value");
}

TEST(FrameCount, IsSizeDivTwoHundredPlusOne) {
    auto count = [](int size) {
        return readImageFrame(hexTokens(imageFrame(ImageKind::Thumbnail, kId, size, 1, "")))
            .frameCount;
    };
    EXPECT_EQ(count(300), 2);
    EXPECT_EQ(count(400), 3);
    EXPECT_EQ(count(199), 1);
    EXPECT_EQ(count(65535), 328);
}

TEST(Payload, IsTwoHundredBytesAboveFrameOneElseTheRemainder) {
    const std::string slice(200, 'a');
    const std::string two = hexTokens(imageFrame(ImageKind::Thumbnail, kId, 300, 2, slice));
    EXPECT_EQ(imagePayload(two, readImageFrame(two)), slice);
    const std::string one = hexTokens(imageFrame(ImageKind::Thumbnail, kId, 300, 1, "bcd"));
    EXPECT_EQ(imagePayload(one, readImageFrame(one)).size(), 100u);
    const std::string zero = hexTokens(imageFrame(ImageKind::Thumbnail, kId, 400, 0, "bcd"));
    EXPECT_EQ(imagePayload(zero, readImageFrame(zero)), "");
}

TEST(HexPairs, ConvertsTokensToCharacters) {
    EXPECT_EQ(hexPairs("41 42 43 ", 3), "ABC");
    EXPECT_EQ(hexPairs("41 42 43 ", 2), "AB");
    EXPECT_EQ(hexPairs("41 42 43 ", 0), "");
    EXPECT_EQ(hexPairs("41 42 43 ", -4), "");
    EXPECT_EQ(hexPairs("6a ", 1), "j");
    EXPECT_EQ(hexPairs("41 4", 2), std::string("A\x04"));
    EXPECT_EQ(hexPairs("00 ", 1), std::string(1, '\0'));
    EXPECT_EQ(messageOf([] { hexPairs("41 ", 2); }), "'$' is not a valid integer value");
    EXPECT_EQ(messageOf([] { hexPairs("4x ", 1); }), "'$4x' is not a valid integer value");
}

TEST(TextFrame, LengthCountsOneMoreThanTheDescription) {
    EXPECT_EQ(readTextFrame(hexTokens(textFrame(kId, "Moon"))).description, "Moon");
    EXPECT_EQ(readTextFrame(hexTokens(textFrameWithLength(kId, "Moon", 1))).description, "");
    EXPECT_EQ(readTextFrame(hexTokens(textFrameWithLength(kId, "Moon", 0))).description, "");
    EXPECT_EQ(readTextFrame(hexTokens(textFrame(kId, "Moon"))).imageId, "0A 1B 2C 3D");
}

TEST(IconFrame, TheIconIdKeepsItsTrailingBlank) {
    const IconFrame frame = readIconFrame(hexTokens(iconFrame(bytesOf({1, 2, 3, 4}), "BM12")));
    EXPECT_EQ(frame.iconId, "01 02 03 04 ");
    EXPECT_EQ(frame.size, 4);
}

TEST(NameChecks, RefuseWhatCouldLeaveTheFolder) {
    ImageFrame frame;
    frame.imageId = "0a 1B 2C 3D";
    frame.frameNumberText = "2C 01";
    EXPECT_NO_THROW(checkImageFrameNames(frame));
    frame.imageId = "../../etc/x";
    EXPECT_EQ(messageOf([&] { checkImageFrameNames(frame); }),
              "'../../etc/x' is not a valid image ID");
    frame.imageId = "0A 1B 2C";
    EXPECT_EQ(messageOf([&] { checkImageFrameNames(frame); }),
              "'0A 1B 2C' is not a valid image ID");
    frame.imageId = "0A 1B 2C 3D";
    frame.frameNumberText = "2C/01";
    EXPECT_EQ(messageOf([&] { checkImageFrameNames(frame); }), "'2C/01' is not a valid image ID");
    EXPECT_NO_THROW(checkIconId("01 02 03 04 "));
    EXPECT_EQ(messageOf([] { checkIconId("01 02 03 04"); }),
              "'01 02 03 04' is not a valid image ID");
    EXPECT_EQ(messageOf([] { checkIconId("01 02 /. 04 "); }),
              "'01 02 /. 04 ' is not a valid image ID");
}
