// The batch decoder on a full disk, under a file size limit and with a description log that
// is a device: each failing file is reported as "Disk full" and the next one still decoded;
// what was there before is kept whole.
#include "batch/batch_runner.h"
#include "batch/beacon_captures.h"
#include "support/small_disk.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto::test;

namespace {

const std::string kId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kTextLine = "Text.   ID : 0A 1B 2C 3D  kept";

// A KISS capture whose HEX frame file takes more than `bytes`.
std::string captureLargerThan(std::size_t bytes) {
    std::vector<std::string> frames;
    std::size_t hexSize = 0;
    for (int i = 0; hexSize <= bytes; ++i) {
        frames.push_back(imageFrame(ImageKind::Puzzle, bytesOf({1, 2, 3, i & 0xFF}), 0, 0, ""));
        hexSize += 3 * frames.back().size() + 2;
    }
    // Frames of other kinds than the four: kept and written, decoded as nothing.
    for (std::string& frame : frames)
        frame[5] = '\x09';
    return kissCapture(frames);
}

std::vector<std::string> unfinishedFiles(const fs::path& folder) {
    std::vector<std::string> found;
    for (const std::string& entry : treeOf(folder))
        if (entry.find(".zelto-partial-") != std::string::npos)
            found.push_back(entry);
    return found;
}

} // namespace

TEST(BatchDiskFull, AHexFileThatDoesNotFitIsReportedAndTheEarlierOneKept) {
    BatchFolder folder;
    SmallDisk disk(folder.work(), 64 * 1024, 1000);
    if (!disk.available())
        GTEST_SKIP() << disk.why();
    writeFile(folder.work() / "big.HEX", "the HEX frame file of an earlier run\r\n");
    writeFile(folder.captures() / "big.kss", captureLargerThan(64 * 1024));
    writeFile(folder.captures() / "text.hex", hexFile({textFrame(kId4, "kept")}));

    const auto result = folder.run(
        {(folder.captures() / "big.kss").string(), (folder.captures() / "text.hex").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Zeltodecoder-batch: " + (folder.captures() / "big.kss").string() + ": Disk full\n");
    EXPECT_TRUE(result.out.ends_with(kTextLine + "\n")) << result.out.substr(0, 200);
    EXPECT_EQ(readFile(folder.work() / "big.HEX"), "the HEX frame file of an earlier run\r\n");
    EXPECT_EQ(readFile(folder.work() / "ThumbList.txt"), " 0A 1B 2C 3D = kept\r\n");
    EXPECT_TRUE(unfinishedFiles(folder.work()).empty());
}

TEST(BatchDiskFull, AFileSizeLimitIsDiskFullNotTheEndOfTheProgram) {
    BatchFolder folder;
    writeFile(folder.work() / "thumb 0A 1B 2C 3D.jpg", "earlier");
    // A thumbnail of 20 kB: its frame files fit under the limit, the joined file does not.
    const std::string image(20 * 1024, 'j');
    writeFile(folder.captures() / "thumb.hex",
              hexFile(imageFrames(ImageKind::Thumbnail, kId4, image)));
    writeFile(folder.captures() / "text.hex", hexFile({textFrame(kId4, "kept")}));

    const auto result = folder.runWithFileSizeLimit(
        {(folder.captures() / "thumb.hex").string(), (folder.captures() / "text.hex").string()},
        16 * 1024);
    EXPECT_EQ(result.status, 1) << "ended by a signal";
    EXPECT_EQ(result.err, "Zeltodecoder-batch: " + (folder.captures() / "thumb.hex").string() +
                              ": Disk full\n");
    EXPECT_TRUE(result.out.ends_with(kTextLine + "\n"));
    EXPECT_EQ(readFile(folder.work() / "thumb 0A 1B 2C 3D.jpg"), "earlier");
    EXPECT_EQ(listFolder(folder.work() / "Thumbs" / "0A 1B 2C 3D . 103").size(), 103u);
    EXPECT_TRUE(unfinishedFiles(folder.work()).empty());
}

TEST(BatchDiskFull, ALogLinkedToAFullDeviceIsDiskFullAndTheRunGoesOn) {
    BatchFolder folder;
    fs::create_symlink("/dev/full", folder.work() / "ThumbList.txt");
    const std::string jpeg = smallJpeg(16, 16, 2);
    writeFile(folder.captures() / "text.hex", hexFile({textFrame(kId4, "lost")}));
    writeFile(folder.captures() / "thumb.hex",
              hexFile(imageFrames(ImageKind::Thumbnail, kId4, jpeg)));

    const auto result = folder.run(
        {(folder.captures() / "text.hex").string(), (folder.captures() / "thumb.hex").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Zeltodecoder-batch: " + (folder.captures() / "text.hex").string() + ": Disk full\n");
    EXPECT_EQ(readFile(folder.work() / "thumb 0A 1B 2C 3D.jpg"), jpeg);
    EXPECT_EQ(fs::read_symlink(folder.work() / "ThumbList.txt"), "/dev/full");
}
