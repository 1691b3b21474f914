// A frame file numbered above 1 that does not hold 200 bytes was cut short (a power cut
// leaves such files): it is not received until the frame comes again.
#include "commands/open_hex.h"
#include "commands/puzzles_decode.h"
#include "commands/work_folder.h"
#include "core/run_error.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

TEST(DamagedFrameFiles, CountAsMissingAreNeverJoinedAndAreReplacedWhenTheFrameComesAgain) {
    EXPECT_EQ(StoreLayout::frameNumberOfFileName("2C 01.bin"), 300);
    EXPECT_EQ(StoreLayout::frameNumberOfFileName("0a 00.BIN"), 10);
    for (const char* other : {"0A 00.bin ", "zz 00.bin", "0A-00.bin", "readme.txt", ""})
        EXPECT_EQ(StoreLayout::frameNumberOfFileName(other), std::nullopt) << other;
    EXPECT_TRUE(StoreLayout::isWholeFrameFile(1, 0));
    EXPECT_TRUE(StoreLayout::isWholeFrameFile(0, 7));
    EXPECT_TRUE(StoreLayout::isWholeFrameFile(2, 200));
    EXPECT_FALSE(StoreLayout::isWholeFrameFile(2, 199));
    EXPECT_FALSE(StoreLayout::isWholeFrameFile(300, 0));
    EXPECT_FALSE(StoreLayout::isWholeFrameFile(1, 256)); // more than a one-byte remainder says

    WorkFolder work;
    FakePanes panes;
    const std::string id4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    const std::string jpeg = smallJpeg(32, 24, 5);
    const auto frames = imageFrames(ImageKind::Thumbnail, id4, jpeg); // N down to 1
    const long total = static_cast<long>(frames.size());
    ASSERT_GE(total, 3);
    const std::string folderName = StoreLayout::imageFolderName("0A 1B 2C 3D", total);
    const fs::path folder = work / "Thumbs" / folderName;
    const std::string thumb = "thumb 0A 1B 2C 3D.jpg";
    Session* session = &work.session;
    auto decode = [&](const std::vector<std::string>& lines) {
        writeFile(work / "in.HEX", hexFile(lines));
        return messageOf([&] { openHexFile(*session, panes, work / "in.HEX"); });
    };

    // A pass stored every frame but 1; a power cut then left frame 2 empty and frame 3 short,
    // and the program started again.
    EXPECT_EQ(decode({frames.begin(), frames.end() - 1}), "");
    writeFile(folder / StoreLayout::frameFileName(2), "");
    writeFile(folder / StoreLayout::frameFileName(3), jpeg.substr(jpeg.size() - 50));
    Session restarted;
    prepareWorkFolder(restarted, work.path());
    session = &restarted;
    EXPECT_EQ(frameFileCount(folder), total - 3);
    EXPECT_EQ(decode({frames.back()}), "");
    EXPECT_FALSE(fs::exists(work / thumb));
    EXPECT_EQ(missingFramesMessages(*session, "0A 1B 2C 3D"),
              std::vector<std::string>{" Missing 2 frames from " + std::to_string(total) +
                                       " in : thumb 0A 1B 2C 3D"});

    // A file that is no frame file still counts: the folder counts as complete, and the join
    // stops at the damaged frame without writing anything.
    writeFile(folder / "readme.txt", "mine");
    writeFile(folder / "notes.bin", "mine");
    EXPECT_EQ(decode({frames.back()}), "File not found");
    EXPECT_FALSE(fs::exists(work / thumb));

    // The frames again: they replace the damaged files and the thumbnail is joined whole.
    fs::remove(folder / "readme.txt");
    fs::remove(folder / "notes.bin");
    EXPECT_EQ(decode({frames[static_cast<std::size_t>(total - 3)],
                      frames[static_cast<std::size_t>(total - 2)]}),
              "");
    EXPECT_EQ(readFile(work / thumb), jpeg);
    EXPECT_FALSE(fs::exists(folder));

    // A puzzle the same: not received, not joined, until the frame comes again.
    const auto pieces = imageFrames(ImageKind::Puzzle, id4, jpeg);
    const fs::path puzzle = work / "Puzzles" / folderName;
    EXPECT_EQ(decode(pieces), "");
    writeFile(puzzle / StoreLayout::frameFileName(2), std::string(120, '\0'));
    writeFile(work / "puzzl 0A 1B 2C 3D.jpg", "joined before");
    Session again;
    prepareWorkFolder(again, work.path());
    session = &again;
    EXPECT_EQ(messageOf([&] { decodePuzzles(*session, panes); }), "");
    EXPECT_EQ(panes.report[1], "Puzzle 0A 1B 2C 3D : received " + std::to_string(total - 1) +
                                   " frames from a total of " + std::to_string(total));
    EXPECT_EQ(readFile(work / "puzzl 0A 1B 2C 3D.jpg"), "joined before");
    EXPECT_EQ(decode({pieces[static_cast<std::size_t>(total - 2)]}), "");
    EXPECT_EQ(messageOf([&] { decodePuzzles(*session, panes); }), "");
    EXPECT_EQ(readFile(work / "puzzl 0A 1B 2C 3D.jpg"), jpeg);
}
