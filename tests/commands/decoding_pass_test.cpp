#include "core/run_error.h"
#include "commands/open_hex.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIdText = "0A 1B 2C 3D";

class DecodingPass : public ::testing::Test {
  protected:
    WorkFolder work;
    FakePanes panes;

    // Decodes a HEX frame file of these frames; returns the error message, if any.
    std::string decode(const std::vector<std::string>& frames, const std::string& name = "in.HEX") {
        writeFile(work / name, hexFile(frames));
        return decodeFile(work / name);
    }
    std::string decodeFile(const fs::path& file) {
        try {
            openHexFile(work.session, panes, file);
        } catch (const RunError& e) {
            return e.what();
        }
        return "";
    }
    std::string log() { return readFile(work / "ThumbList.txt"); }
};

TEST_F(DecodingPass, AnEmptyFileReportsNoValidFrames) {
    writeFile(work / "empty.HEX", "");
    EXPECT_EQ(decodeFile(work / "empty.HEX"), "");
    EXPECT_EQ(panes.report, std::vector<std::string>{" >>>  No valid frames found!"});
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_TRUE(panes.list(ListPane::ListBox3).empty());
}

TEST_F(DecodingPass, LinesOfOtherTypesAreSkippedWithoutAWord) {
    EXPECT_EQ(decode({bytesOf({0, 0, 0, 0x85, 0x82, 0x05, 1, 2}), "", "\x01"}), "");
    EXPECT_EQ(panes.report, std::vector<std::string>{" >>>  No valid frames found!"});
    EXPECT_EQ(decode({"junk", textFrame(kId, "Hi")}), "");
    EXPECT_EQ(panes.report, std::vector<std::string>{"Text.   ID : 0A 1B 2C 3D  Hi"});
}

TEST_F(DecodingPass, ReportsEveryFrameKindByteExact) {
    const std::string bmp = smallBmp(8, 8);
    std::vector<std::string> frames{
        textFrame(kId, "Earth from 600 km"), iconFrame(bytesOf({1, 2, 3, 4}), bmp),
        imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'a')),
        imageFrame(ImageKind::Puzzle, kId, 65535, 300, std::string(200, 'b'))};
    EXPECT_EQ(decode(frames), "");
    const std::vector<std::string> expected{
        "Text.   ID : 0A 1B 2C 3D  Earth from 600 km",
        "Icon.   ID : 01 02 03 04  Size = " + std::to_string(bmp.size()) + " bytes",
        "Thumbn. ID : 0A 1B 2C 3D  Size = 300 bytes in 2 frames. Rem.= 100  Frame # = 2",
        "Puzzle. ID : 0A 1B 2C 3D  Size = 65535 bytes in 328 frames. Rem.= 135  Frame # = 300"};
    EXPECT_EQ(panes.report, expected);
    EXPECT_EQ(work.session.currentImageId, kIdText);
    EXPECT_EQ(panes.fileField, (work / "in.HEX").string());
}

TEST_F(DecodingPass, IconsAreWrittenListedAndFillTheEightStripSlots) {
    const std::string bmp = smallBmp(8, 8);
    std::vector<std::string> frames;
    for (int i = 1; i <= 9; ++i)
        frames.push_back(iconFrame(bytesOf({i, 0xAB, 0, 0}), bmp));
    frames.push_back(iconFrame(bytesOf({1, 0xAB, 0, 0}), bmp)); // the first icon again
    EXPECT_EQ(decode(frames), "");
    const auto& icons = panes.list(ListPane::ListBox1);
    ASSERT_EQ(icons.size(), 10u);
    EXPECT_EQ(icons[0], "icon01 AB 00 00 .bmp");
    EXPECT_EQ(icons[9], "icon01 AB 00 00 .bmp");
    EXPECT_EQ(readFile(work / "icon09 AB 00 00 .bmp"), bmp);
    const PicturePane strip[] = {PicturePane::Image1, PicturePane::Image2, PicturePane::Image3,
                                 PicturePane::Image4, PicturePane::Image5, PicturePane::Image6,
                                 PicturePane::Image9, PicturePane::Image10};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(panes.pictures.at(strip[i]), work / icons[i]) << i;
    EXPECT_EQ(panes.pictures.size(), 8u);
}

TEST_F(DecodingPass, ADamagedIconStopsThePassOnceWrittenAndListed) {
    EXPECT_EQ(decode({iconFrame(kId, "not a bitmap"), textFrame(kId, "later")}),
              "Bitmap image is not valid");
    EXPECT_EQ(panes.list(ListPane::ListBox1).size(), 1u);
    EXPECT_EQ(readFile(work / "icon0A 1B 2C 3D .bmp"), "not a bitmap");
    EXPECT_EQ(panes.report.size(), 1u);
}

TEST_F(DecodingPass, TheLogGetsOneLinePerNewIdAndKeepsTheFirstDescription) {
    writeFile(work / "ThumbList.txt", " 11 22 33 44 = old\r\n");
    const std::string other = bytesOf({0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(decode({textFrame(kId, "first"), textFrame(kId, "second"), textFrame(other, "new")}),
              "");
    EXPECT_EQ(decode({textFrame(kId, "third")}), "");
    EXPECT_EQ(log(), " 11 22 33 44 = old\r\n 0A 1B 2C 3D = first\r\n");
    EXPECT_EQ(panes.report, std::vector<std::string>{"Text.   ID : 0A 1B 2C 3D  third"});
}

TEST_F(DecodingPass, EmptyDescriptionsAndLineBreaksStayOneLine) {
    const std::string other = bytesOf({0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(decode({textFrameWithLength(kId, "", 1), textFrame(other, "two\r\nlines\n")}), "");
    EXPECT_EQ(log(), " 0A 1B 2C 3D = \r\n 11 22 33 44 = two  lines \r\n");
    EXPECT_EQ(panes.report[1], "Text.   ID : 11 22 33 44  two  lines ");
}

TEST_F(DecodingPass, AHandEditedLogWithoutItsLastLineEndIsNotRunInto) {
    writeFile(work / "ThumbList.txt", " 11 22 33 44 = by hand");
    EXPECT_EQ(decode({textFrame(kId, "new")}), "");
    EXPECT_EQ(log(), " 11 22 33 44 = by hand\r\n 0A 1B 2C 3D = new\r\n");
}

TEST_F(DecodingPass, AMissingLogStopsAtTheFirstTextFrame) {
    fs::remove(work / "ThumbList.txt");
    EXPECT_EQ(decode({imageFrame(ImageKind::Puzzle, kId, 300, 2, "p"), textFrame(kId, "x")}),
              "File not found");
    EXPECT_EQ(panes.report.size(), 2u);
}

TEST_F(DecodingPass, ImageFramesGoToTheirFoldersOnceEachInMemo4) {
    const std::string lower = "00 00 00 85 82 04 0a 1b 2c 3d 00 00 01 0a 00 ";
    writeFile(work / "in.HEX",
              hexFile({imageFrame(ImageKind::Thumbnail, kId, 2000, 10, std::string(200, 'x')),
                       imageFrame(ImageKind::Thumbnail, kId, 2000, 10, std::string(200, 'y')),
                       imageFrame(ImageKind::Thumbnail, kId, 500, 3, std::string(200, 'z')),
                       imageFrame(ImageKind::Puzzle, kId, 2000, 1, "")}) +
                  lower + std::string(600, '0') + "\r\n");
    EXPECT_EQ(decodeFile(work / "in.HEX"), "");
    EXPECT_EQ(readFile(work / "Thumbs/0A 1B 2C 3D . 11/0A 00.bin"), std::string(200, 'y'));
    EXPECT_EQ(listFolder(work / "Thumbs/0A 1B 2C 3D . 3"), std::vector<std::string>{"03 00.bin"});
    EXPECT_EQ(readFile(work / "Puzzles/0A 1B 2C 3D . 11/01 00.bin"), "");
    // Lower-case digits: the folder keeps the ID as it stands, the file name is upper case.
    EXPECT_EQ(listFolder(work / "Thumbs/0a 1b 2c 3d . 2"), std::vector<std::string>{"0A 00.bin"});
    const std::vector<std::string> memo4{"0A 1B 2C 3D . 11", "0A 1B 2C 3D . 3", "0a 1b 2c 3d . 2"};
    EXPECT_EQ(work.session.memo4.entries(), memo4);
    EXPECT_EQ(panes.list(ListPane::ListBox3),
              (std::vector<std::string>{kIdText, kIdText, "0a 1b 2c 3d"}));
}

TEST_F(DecodingPass, AnUnsafeImageIdStopsBeforeItsReportLineAndWritesNothing) {
    std::string frame = imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'a'));
    std::string line = hexTokens(frame);
    line.replace(18, 11, "../../x/../");
    writeFile(work / "in.HEX", hexTokens(textFrame(kId, "ok")) + "\r\n" + line + "\r\n");
    EXPECT_EQ(decodeFile(work / "in.HEX"), "'../../x/../' is not a valid image ID");
    EXPECT_EQ(panes.report.size(), 1u);
    EXPECT_TRUE(listFolder(work / "Thumbs").empty());
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", "in.HEX"}));
}

TEST_F(DecodingPass, AShortLineStopsWithTheConversionMessageAndKeepsWhatCameBefore) {
    const std::string good =
        hexTokens(imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'a')));
    writeFile(work / "in.HEX", good + "\r\n" + good.substr(0, 33) + "\r\n");
    EXPECT_EQ(decodeFile(work / "in.HEX"), "'$' is not a valid integer value");
    EXPECT_EQ(panes.report.size(), 1u);
    EXPECT_EQ(readFile(work / "Thumbs/0A 1B 2C 3D . 2/02 00.bin"), std::string(200, 'a'));
}

TEST_F(DecodingPass, APayloadCutShortLeavesTheEarlierFrameFileWhole) {
    EXPECT_EQ(decode({imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'a'))}), "");
    const std::string cut =
        hexTokens(imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'b')));
    writeFile(work / "in.HEX", cut.substr(0, 300) + "\r\n");
    EXPECT_EQ(decodeFile(work / "in.HEX"), "'$' is not a valid integer value");
    EXPECT_EQ(readFile(work / "Thumbs/0A 1B 2C 3D . 2/02 00.bin"), std::string(200, 'a'));
    EXPECT_EQ(listFolder(work / "Thumbs/0A 1B 2C 3D . 2"), std::vector<std::string>{"02 00.bin"});
}

TEST_F(DecodingPass, AMissingFileStopsWithThePanesAlreadyCleared) {
    decode({textFrame(kId, "before")});
    panes.pictures[PicturePane::Image7] = "x";
    panes.list(ListPane::ListBox2).push_back("thumb x.jpg");
    EXPECT_EQ(decodeFile(work / "nothere.HEX"), "File not found");
    EXPECT_TRUE(panes.pictures.empty());
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_EQ(panes.fileField, (work / "nothere.HEX").string());
    EXPECT_EQ(panes.report, std::vector<std::string>{"Text.   ID : 0A 1B 2C 3D  before"});
}

TEST_F(DecodingPass, AFileInAnotherFolderStillWritesIntoTheWorkingFolder) {
    WorkFolder elsewhere;
    fs::current_path(work.path());
    writeFile(elsewhere / "far.HEX", hexFile({iconFrame(kId, smallBmp(4, 4))}));
    EXPECT_EQ(decodeFile(elsewhere / "far.HEX"), "");
    EXPECT_TRUE(fs::exists(work / "icon0A 1B 2C 3D .bmp"));
    EXPECT_FALSE(fs::exists(elsewhere / "icon0A 1B 2C 3D .bmp"));
}

} // namespace
