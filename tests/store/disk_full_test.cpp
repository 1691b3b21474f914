// A working folder on a disk that fills up: every write that fails says "Disk full", what was
// written before stays whole, and no file is left half replaced or half appended.
#include "commands/open_hex.h"
#include "commands/puzzles_decode.h"
#include "core/file_io.h"
#include "core/run_error.h"
#include "store/frame_store.h"
#include "support/file_size_limit.h"
#include "support/small_disk.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIdText = "0A 1B 2C 3D";
const std::string kThumbFile = "thumb 0A 1B 2C 3D.jpg";
const std::string kPuzzleFile = "puzzl 0A 1B 2C 3D.jpg";

// An image of `frames` frames whose every frame carries its own bytes.
std::string patterned(int frames) {
    std::string bytes(static_cast<std::size_t>(frames) * 200 - 1, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i / 200 * 31 + i) & 0xFF);
    return bytes;
}

class DiskFull : public ::testing::Test {
  protected:
    // The working folder on a disk of its own of this many bytes and files.
    bool smallDisk(std::size_t bytes, std::size_t files) {
        disk_.emplace(nest.work(), bytes, files);
        if (!disk_->available())
            return false;
        nest.prepare();
        return true;
    }
    std::string whyNoDisk() const { return disk_ ? disk_->why() : ""; }
    // Takes every byte left on the working folder's disk, then gives back `room` bytes.
    void fill(off_t room = 0) {
        const int fd = ::open((nest / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        // A last page may take fewer bytes.
        while (::write(fd, block.data(), 1) > 0) {
        }
        const off_t size = ::lseek(fd, 0, SEEK_END);
        ASSERT_GE(size, room);
        ASSERT_EQ(::ftruncate(fd, size - room), 0);
        ::close(fd);
    }
    std::string decode(const std::vector<std::string>& frames) {
        writeFile(nest.captures() / "in.HEX", hexFile(frames));
        return messageOf([&] { openHexFile(nest.session, panes, nest.captures() / "in.HEX"); });
    }
    void expectNoUnfinishedFiles(const fs::path& folder) {
        for (const std::string& entry : treeOf(folder))
            EXPECT_EQ(entry.find(kPartialPrefix), std::string::npos) << entry;
    }

    NestedWorkFolder nest;
    FakePanes panes;

  private:
    std::optional<SmallDisk> disk_;
};

} // namespace

TEST_F(DiskFull, AFrameFileThatDoesNotFitLeavesTheStoredFramesWhole) {
    if (!smallDisk(256 * 1024, 1000))
        GTEST_SKIP() << whyNoDisk();
    const std::string image = patterned(30);
    const auto frames = imageFrames(ImageKind::Thumbnail, kId4, image);
    const std::vector<std::string> first(frames.begin(), frames.begin() + 5);
    ASSERT_EQ(decode(first), "");
    const fs::path folder = nest / "Thumbs" / (kIdText + " . 30");
    const std::vector<std::string> stored = treeOf(folder);
    ASSERT_EQ(stored.size(), 5u);

    fill();
    // The frame of number 26 again, with other bytes: it would replace its frame file.
    std::string changed = frames[4];
    changed[100] = static_cast<char>(changed[100] ^ 0x55);
    EXPECT_EQ(decode({changed, frames[5]}), "Disk full");
    EXPECT_EQ(panes.report.size(), 1u);
    EXPECT_EQ(treeOf(folder), stored);
    for (int f = 30; f >= 26; --f)
        EXPECT_EQ(readFile(folder / StoreLayout::frameFileName(f)),
                  image.substr(static_cast<std::size_t>(30 - f) * 200, 200))
            << f;
    expectNoUnfinishedFiles(nest.work());
}

TEST_F(DiskFull, AnImageFolderThatCannotBeMadeIsDiskFullNotFileNotFound) {
    // The folder itself, Thumbs, Puzzles and ThumbList.txt: no file can be added.
    if (!smallDisk(256 * 1024, 4))
        GTEST_SKIP() << whyNoDisk();
    const auto frames = imageFrames(ImageKind::Thumbnail, kId4, patterned(3));
    EXPECT_EQ(decode(frames), "Disk full");
    EXPECT_EQ(panes.report.size(), 1u);
    EXPECT_TRUE(listFolder(nest / "Thumbs").empty());
    EXPECT_EQ(decode({imageFrame(ImageKind::Puzzle, kId4, 300, 2, std::string(200, 'p'))}),
              "Disk full");
    EXPECT_TRUE(listFolder(nest / "Puzzles").empty());
}

TEST_F(DiskFull, AThumbnailThatDoesNotFitKeepsTheEarlierOneAndItsFrames) {
    if (!smallDisk(256 * 1024, 1000))
        GTEST_SKIP() << whyNoDisk();
    writeFile(nest / kThumbFile, "the thumbnail of an earlier pass");
    const std::string image = patterned(30);
    const auto frames = imageFrames(ImageKind::Thumbnail, kId4, image);
    ASSERT_EQ(decode(std::vector<std::string>(frames.begin(), frames.end() - 1)), "");
    const fs::path folder = nest / "Thumbs" / (kIdText + " . 30");
    // Room for the last frame file, not for the thumbnail of more than a page.
    fill(4096);
    EXPECT_EQ(decode({frames.back()}), "Disk full");
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{kThumbFile});
    EXPECT_EQ(readFile(nest / kThumbFile), "the thumbnail of an earlier pass");
    // The frames stay in the store: nothing is lost.
    EXPECT_EQ(frameFileCount(folder), 30);
    EXPECT_EQ(readFile(folder / "01 00.bin"), image.substr(29 * 200));
    expectNoUnfinishedFiles(nest.work());
}

TEST_F(DiskFull, APuzzleThatDoesNotFitKeepsTheEarlierOne) {
    if (!smallDisk(256 * 1024, 1000))
        GTEST_SKIP() << whyNoDisk();
    writeFile(nest / kPuzzleFile, "the puzzle of an earlier command");
    ASSERT_EQ(decode(imageFrames(ImageKind::Puzzle, kId4, patterned(8))), "");
    fill();
    panes.decodePictures = false;
    EXPECT_EQ(messageOf([&] { decodePuzzles(nest.session, panes); }), "Disk full");
    EXPECT_EQ(readFile(nest / kPuzzleFile), "the puzzle of an earlier command");
    EXPECT_EQ(frameFileCount(nest / "Puzzles" / (kIdText + " . 8")), 8);
    expectNoUnfinishedFiles(nest.work());
}

TEST_F(DiskFull, AnIconThatDoesNotFitKeepsTheEarlierOne) {
    if (!smallDisk(256 * 1024, 1000))
        GTEST_SKIP() << whyNoDisk();
    const std::string earlier = smallBmp(4, 4);
    writeFile(nest / "icon0A 1B 2C 3D .bmp", earlier);
    fill();
    EXPECT_EQ(decode({iconFrame(kId4, smallBmp(40, 40))}), "Disk full");
    EXPECT_EQ(readFile(nest / "icon0A 1B 2C 3D .bmp"), earlier);
    expectNoUnfinishedFiles(nest.work());
}

TEST_F(DiskFull, ALogLineThatDoesNotFitIsNotLeftHalfAppended) {
    if (!smallDisk(256 * 1024, 1000))
        GTEST_SKIP() << whyNoDisk();
    // The log ends a few bytes short of a whole page: a new line needs one page more, which
    // the full disk does not have, while its first bytes would still fit.
    std::string log;
    while (log.size() < 4096 - 40)
        log += " 11 22 33 44 = " + std::string(40, 'd') + "\r\n";
    log.resize(4096 - 5);
    log += "x\r\n";
    writeFile(nest / "ThumbList.txt", log);
    fill();
    EXPECT_EQ(decode({textFrame(kId4, "a description that does not fit"), textFrame(kId4, "b")}),
              "Disk full");
    EXPECT_EQ(readFile(nest / "ThumbList.txt"), log);
    EXPECT_EQ(panes.report.size(), 1u);

    // Once there is room, the description comes whole.
    fs::remove(nest / "filler");
    EXPECT_EQ(decode({textFrame(kId4, "a description that does not fit")}), "");
    EXPECT_EQ(readFile(nest / "ThumbList.txt"),
              log + " 0A 1B 2C 3D = a description that does not fit\r\n");
}

TEST_F(DiskFull, ALogLineCutByAFileSizeLimitIsNotLeftHalfAppended) {
    const std::string log = " 11 22 33 44 = earlier\r\n";
    writeFile(nest / "ThumbList.txt", log);
    writeFile(nest.captures() / "in.HEX", hexFile({textFrame(kId4, "cut by the limit")}));
    std::string error;
    {
        FileSizeLimit limit(log.size() + 10);
        error = messageOf([&] { openHexFile(nest.session, panes, nest.captures() / "in.HEX"); });
    }
    EXPECT_EQ(error, "Disk full");
    EXPECT_EQ(readFile(nest / "ThumbList.txt"), log);
}
