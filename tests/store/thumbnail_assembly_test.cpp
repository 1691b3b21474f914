#include "commands/open_hex.h"
#include "core/run_error.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIdText = "0A 1B 2C 3D";

class ThumbnailAssembly : public ::testing::Test {
  protected:
    WorkFolder work;
    FakePanes panes;

    std::string decode(const std::vector<std::string>& frames) {
        writeFile(work / "in.HEX", hexFile(frames));
        try {
            openHexFile(work.session, panes, work / "in.HEX");
        } catch (const RunError& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(ThumbnailAssembly, AThumbnailSplitOverTwoPassesIsJoinedInFrameOrderEitherWay) {
    const std::string jpeg = smallJpeg(24, 16, 1);
    ASSERT_GT(jpeg.size(), 200u);
    const auto frames = imageFrames(ImageKind::Thumbnail, kId, jpeg);
    for (bool reversed : {false, true}) {
        std::vector<std::string> first(frames.begin(), frames.end() - 1), last{frames.back()};
        if (reversed)
            std::swap(first, last);
        EXPECT_EQ(decode(first), "");
        EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
        EXPECT_EQ(panes.list(ListPane::ListBox3), std::vector<std::string>{kIdText});
        EXPECT_EQ(decode(last), "");
        EXPECT_EQ(panes.list(ListPane::ListBox2),
                  std::vector<std::string>{"thumb " + kIdText + ".jpg"});
        EXPECT_EQ(panes.selected[1], 0);
        EXPECT_TRUE(panes.list(ListPane::ListBox3).empty());
        EXPECT_EQ(readFile(work / ("thumb " + kIdText + ".jpg")), jpeg);
        EXPECT_EQ(panes.pictures.at(PicturePane::Image7), work / ("thumb " + kIdText + ".jpg"));
        EXPECT_TRUE(listFolder(work / "Thumbs").empty()) << "the image folder is removed";
        EXPECT_EQ(work.session.currentImageId, kIdText);
    }
}

TEST_F(ThumbnailAssembly, OneFrameAndMoreThan255Frames) {
    const std::string tiny(150, 't'); // one frame; too small for a real JPEG, so not decoded
    panes.decodePictures = false;
    std::string big = smallJpeg(400, 240, 3);
    ASSERT_GT(big.size(), 255u * 200u);
    ASSERT_LT(big.size(), 65536u);
    const std::string other = bytesOf({0x11, 0x22, 0x33, 0x44});
    auto frames = imageFrames(ImageKind::Thumbnail, other, big);
    std::reverse(frames.begin(), frames.end());
    frames.push_back(imageFrames(ImageKind::Thumbnail, kId, tiny)[0]);
    EXPECT_EQ(decode(frames), "");
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              (std::vector<std::string>{"thumb 11 22 33 44.jpg", "thumb " + kIdText + ".jpg"}));
    EXPECT_EQ(readFile(work / "thumb 11 22 33 44.jpg"), big);
    EXPECT_EQ(readFile(work / ("thumb " + kIdText + ".jpg")), tiny);
    EXPECT_EQ(panes.pictures.at(PicturePane::Image7), work / ("thumb " + kIdText + ".jpg"));
    EXPECT_EQ(panes.selected[1], 1);
}

TEST_F(ThumbnailAssembly, AThumbnailReceivedAgainReplacesTheEarlierFile) {
    writeFile(work / ("thumb " + kIdText + ".jpg"), "an older and longer thumbnail file.....");
    const std::string jpeg = smallJpeg(8, 8, 4);
    EXPECT_EQ(decode(imageFrames(ImageKind::Thumbnail, kId, jpeg)), "");
    EXPECT_EQ(readFile(work / ("thumb " + kIdText + ".jpg")), jpeg);
}

TEST_F(ThumbnailAssembly, TheDescriptionFollowsTheLogRules) {
    const auto frames = imageFrames(ImageKind::Thumbnail, kId, smallJpeg(8, 8, 5));
    panes.description = "kept";
    // An empty log leaves Label4 as the open command left it (empty).
    EXPECT_EQ(decode(frames), "");
    EXPECT_EQ(panes.description, "");
    writeFile(work / "ThumbList.txt", " 11 22 33 44 = other\r\n");
    EXPECT_EQ(decode(frames), "");
    EXPECT_EQ(panes.description, "Image description not yet received...");
    const std::string longText(120, 'd');
    writeFile(work / "ThumbList.txt",
              " 0A 1B 2C 3D = first\r\n 0a 1b 2c 3d = case\r\n 0A 1B 2C 3D = " + longText + "\r\n");
    EXPECT_EQ(decode(frames), "");
    EXPECT_EQ(panes.description, std::string(90, 'd'));
}

TEST_F(ThumbnailAssembly, DataTheDecoderRejectsStopsThePassWithTheFileListed) {
    std::string notJpeg(300, 'x');
    const auto frames = imageFrames(ImageKind::Thumbnail, kId, notJpeg);
    const std::string message = decode(frames);
    EXPECT_TRUE(message.starts_with("JPEG error #")) << message;
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb " + kIdText + ".jpg"});
    EXPECT_EQ(readFile(work / ("thumb " + kIdText + ".jpg")), notJpeg);
    EXPECT_EQ(listFolder(work / "Thumbs"), std::vector<std::string>{kIdText + " . 2"});
}

TEST_F(ThumbnailAssembly, AForeignFileCountedAsAFrameStopsWithFileNotFound) {
    const auto frames = imageFrames(ImageKind::Thumbnail, kId, std::string(300, 'j'));
    writeFile(work / ("thumb " + kIdText + ".jpg"), "earlier");
    fs::create_directories(work / "Thumbs" / (kIdText + " . 2"));
    writeFile(work / "Thumbs" / (kIdText + " . 2") / "notes.txt", "x");
    EXPECT_EQ(decode({frames[0]}), "File not found");
    EXPECT_EQ(readFile(work / ("thumb " + kIdText + ".jpg")), "earlier");
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb " + kIdText + ".jpg"});
    EXPECT_EQ(listFolder(work / "Thumbs" / (kIdText + " . 2")),
              (std::vector<std::string>{"02 00.bin", "notes.txt"}));
}

TEST_F(ThumbnailAssembly, NoThumbnailFrameMeansNothingListedOrRemoved) {
    fs::create_directories(work / "Thumbs/11 22 33 44 . 1");
    writeFile(work / "Thumbs/11 22 33 44 . 1/01 00.bin", "x");
    EXPECT_EQ(decode({textFrame(kId, "t")}), "");
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_TRUE(panes.list(ListPane::ListBox3).empty());
    EXPECT_TRUE(fs::exists(work / "Thumbs/11 22 33 44 . 1/01 00.bin"));
}

TEST_F(ThumbnailAssembly, MissingFramesMessagesOnePerFolderOfTheId) {
    EXPECT_EQ(decode({imageFrame(ImageKind::Thumbnail, kId, 2399, 12, std::string(200, 'a')),
                      imageFrame(ImageKind::Thumbnail, kId, 300, 2, std::string(200, 'a'))}),
              "");
    writeFile(work / "Thumbs" / (kIdText + " . 2") / ".hidden", "");
    writeFile(work / "Thumbs" / (kIdText + " . 2") / "extra", "");
    fs::create_directories(work / "Thumbs" / (kIdText + " . 2") / "sub");
    EXPECT_EQ(missingFramesMessages(work.session, kIdText),
              (std::vector<std::string>{" Missing 11 frames from 12 in : thumb 0A 1B 2C 3D",
                                        " Missing -1 frames from 2 in : thumb 0A 1B 2C 3D"}));
    EXPECT_TRUE(missingFramesMessages(work.session, "0a 1b 2c 3d").empty());
}

TEST(FrameStore, NamesAndCounts) {
    EXPECT_EQ(StoreLayout::frameFileName(1), "01 00.bin");
    EXPECT_EQ(StoreLayout::frameFileName(10), "0A 00.bin");
    EXPECT_EQ(StoreLayout::frameFileName(255), "FF 00.bin");
    EXPECT_EQ(StoreLayout::frameFileName(300), "2C 01.bin");
    EXPECT_EQ(StoreLayout::imageFolderName("0A 1B 2C 3D", 12), "0A 1B 2C 3D . 12");
    EXPECT_EQ(StoreLayout::frameCountOfFolder("0A 1B 2C 3D . 328"), 328);
    try {
        StoreLayout::frameCountOfFolder("0A 1B 2C 3D . x1");
        FAIL();
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
    WorkFolder work;
    EXPECT_EQ(frameFileCount(work / "Thumbs/none"), 0);
    fs::create_directories(work / "Thumbs/f/sub");
    writeFile(work / "Thumbs/f/.hidden", "");
    writeFile(work / "Thumbs/f/.zelto-partial-1-2-01 00.bin", "");
    EXPECT_EQ(frameFileCount(work / "Thumbs/f"), 1);
}

} // namespace
