#include "commands/puzzles_decode.h"
#include "core/file_io.h"
#include "core/run_error.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kIdA = "0A 1B 2C 3D";
const std::string kIdB = "4E 5F 60 71";
const std::string kNotYet = "Image description not yet received...";
const std::string kNotYetBlank = "Image description not yet received... ";

// Frames as the decoding pass stores them: frame f of N carries bytes (N - f) * 200 on,
// 200 of them, frame 1 the remainder. Frames listed in `skip` are left out.
fs::path storePuzzle(const WorkFolder& w, const std::string& id, const std::string& image,
                     std::initializer_list<long> skip = {}) {
    const long count = static_cast<long>(image.size() / 200 + 1);
    const fs::path folder = w / "Puzzles" / StoreLayout::imageFolderName(id, count);
    fs::create_directories(folder);
    for (long f = count; f >= 1; --f) {
        if (std::find(skip.begin(), skip.end(), f) != skip.end())
            continue;
        writeFile(folder / StoreLayout::frameFileName(f),
                  image.substr(static_cast<std::size_t>(count - f) * 200, 200));
    }
    return folder;
}

std::string puzzleFile(const std::string& id) {
    return "puzzl " + id + ".jpg";
}

std::string decodedLine(const std::string& id, long received, long total) {
    std::string line = "Puzzle " + id + " : received " + std::to_string(received) +
                       " frames from a total of " + std::to_string(total);
    if (received == total)
        line += "  >  Puzzle decoded!";
    return line;
}

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 200) & 0xFF);
    return bytes;
}

template <typename F> std::string runErrorOf(F&& command) {
    try {
        command();
    } catch (const RunError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DecodePuzzles, WithoutPuzzlesReportsNoneAndKeepsTheTextWithItsBlank) {
    WorkFolder w;
    FakePanes panes;
    panes.pictures[PicturePane::Image7] = "earlier.jpg";
    panes.lists[1] = {"thumb 01 02 03 04.jpg"};
    panes.report = {"old line"};
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", " No puzzles received..."}));
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_EQ(panes.pictures.count(PicturePane::Image7), 0u);
    EXPECT_EQ(panes.description, kNotYetBlank);
    EXPECT_EQ(panes.normalLayouts, 1);
    EXPECT_TRUE(w.session.memo2.empty());
    EXPECT_EQ(panes.selected[1], -1);
}

TEST(DecodePuzzles, WithoutAPuzzlesFolderReportsNone) {
    WorkFolder w;
    fs::remove_all(w / "Puzzles");
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", " No puzzles received..."}));
}

TEST(DecodePuzzles, ReportsAnIncompletePuzzleWithoutAssemblingIt) {
    WorkFolder w;
    const fs::path folder = storePuzzle(w, kIdA, patterned(14 * 200 + 50), {15, 7, 1});
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report,
              (std::vector<std::string>{
                  " ", "Puzzle 0A 1B 2C 3D : received 12 frames from a total of 15"}));
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_EQ(panes.pictures.count(PicturePane::Image7), 0u);
    EXPECT_FALSE(fs::exists(w / puzzleFile(kIdA)));
    EXPECT_EQ(frameFileCount(folder), 12);
    EXPECT_EQ(w.session.memo2, std::vector<std::string>{"0A 1B 2C 3D . 15"});
    EXPECT_EQ(w.session.lastPuzzleId, "");
    // The description step runs for every puzzle; an empty log says so without the blank.
    EXPECT_EQ(panes.description, kNotYet);
}

TEST(DecodePuzzles, AssemblesACompletePuzzleAndKeepsItsFolder) {
    WorkFolder w;
    const std::string jpeg = smallJpeg(40, 30, 1);
    ASSERT_GT(jpeg.size(), 400u);
    const fs::path folder = storePuzzle(w, kIdA, jpeg);
    FakePanes panes;
    decodePuzzles(w.session, panes);
    const long total = static_cast<long>(jpeg.size() / 200 + 1);
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", decodedLine(kIdA, total, total)}));
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), jpeg);
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{puzzleFile(kIdA)});
    EXPECT_EQ(panes.selected[1], 0);
    EXPECT_EQ(panes.pictures[PicturePane::Image7], w / puzzleFile(kIdA));
    EXPECT_EQ(w.session.lastPuzzleId, kIdA);
    EXPECT_EQ(frameFileCount(folder), total);
    EXPECT_EQ(w.session.currentImageId, "");
    EXPECT_EQ(panes.description, kNotYet);
    for (const auto& name : listFolder(w.path()))
        EXPECT_FALSE(isPartialName(name)) << name;
}

TEST(DecodePuzzles, ReadsFrameNumbersAboveTwoHundredFiftyFive) {
    WorkFolder w;
    const std::string image = patterned(299 * 200 + 123);
    const fs::path folder = storePuzzle(w, kIdA, image);
    ASSERT_TRUE(fs::exists(folder / "2C 01.bin"));
    ASSERT_TRUE(fs::exists(folder / "00 01.bin"));
    FakePanes panes;
    panes.decodePictures = false;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report.back(), decodedLine(kIdA, 300, 300));
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), image);
}

TEST(DecodePuzzles, ReassemblesAndReplacesThePuzzleFileOnEveryCommand) {
    WorkFolder w;
    writeFile(w / puzzleFile(kIdA), std::string(5000, 'x'));
    const std::string first = patterned(450);
    const fs::path folder = storePuzzle(w, kIdA, first);
    FakePanes panes;
    panes.decodePictures = false;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), first);

    // A later pass replaced frame 1 with another copy.
    writeFile(folder / "01 00.bin", "new tail");
    decodePuzzles(w.session, panes);
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), first.substr(0, 400) + "new tail");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", decodedLine(kIdA, 3, 3)}));
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{puzzleFile(kIdA)});
}

TEST(DecodePuzzles, IgnoresHiddenFoldersPlainFilesAndUnfinishedNames) {
    WorkFolder w;
    storePuzzle(w, kIdA, patterned(10));
    fs::create_directories(w / "Puzzles" / ".0A 1B 2C 3D . 1");
    writeFile(w / "Puzzles" / ".0A 1B 2C 3D . 1" / "01 00.bin", "x");
    writeFile(w / "Puzzles" / "4E 5F 60 71 . 1", "a plain file");
    fs::create_directories(w / "Puzzles" / (std::string(kPartialPrefix) + "7"));
    FakePanes panes;
    panes.decodePictures = false;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(w.session.memo2, std::vector<std::string>{"0A 1B 2C 3D . 1"});
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", decodedLine(kIdA, 1, 1)}));
}

TEST(DecodePuzzles, ListsTwoCompletePuzzlesInListingOrderAndShowsTheLast) {
    WorkFolder w;
    const std::string a = smallJpeg(16, 16, 2), b = smallJpeg(24, 8, 3);
    storePuzzle(w, kIdA, a);
    storePuzzle(w, kIdB, b);
    // Whichever comes last, the label ends with the only description the log has.
    writeFile(w / "ThumbList.txt", " " + kIdA + " = only A is described\r\n");
    FakePanes panes;
    decodePuzzles(w.session, panes);
    ASSERT_EQ(w.session.memo2.size(), 2u);
    std::vector<std::string> report{" "}, files;
    for (const auto& folder : w.session.memo2) {
        const std::string id = folder.substr(0, 11);
        const long total = StoreLayout::frameCountOfFolder(folder);
        report.push_back(decodedLine(id, total, total));
        files.push_back(puzzleFile(id));
    }
    EXPECT_EQ(panes.report, report);
    EXPECT_EQ(panes.list(ListPane::ListBox2), files);
    EXPECT_EQ(panes.selected[1], 1);
    EXPECT_EQ(panes.pictures[PicturePane::Image7], w / files.back());
    EXPECT_EQ(w.session.lastPuzzleId, files.back().substr(6, 11));
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), a);
    EXPECT_EQ(readFile(w / puzzleFile(kIdB)), b);
    EXPECT_EQ(panes.description, "only A is described");
}

TEST(DecodePuzzles, DescribesTheAssembledPuzzleFromItsLastLogLine) {
    WorkFolder w;
    const std::string longText(120, 'd');
    writeFile(w / "ThumbList.txt", " " + kIdA + " = first\r\n " + kIdB + " = other\r\n " + kIdA +
                                       " = " + longText + "\r\n");
    storePuzzle(w, kIdA, smallJpeg(8, 8, 4));
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.description, std::string(90, 'd'));
}

TEST(DecodePuzzles, LogLinesForOtherImagesKeepTheTextWithItsBlank) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", " " + kIdB + " = not this one\r\n");
    storePuzzle(w, kIdA, smallJpeg(8, 8, 5));
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.description, kNotYetBlank);
}

TEST(DecodePuzzles, AnIncompletePuzzleIsNotDescribedAndAnEmptyIdMatchesNothing) {
    WorkFolder w;
    // Short and empty lines would match an empty ID if it were compared as it stands.
    writeFile(w / "ThumbList.txt", " \r\n\r\n " + kIdA + " = the incomplete one\r\n");
    storePuzzle(w, kIdA, patterned(700), {2});
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report.back(), decodedLine(kIdA, 3, 4));
    EXPECT_EQ(panes.description, kNotYetBlank);
}

TEST(DecodePuzzles, RemembersTheLastAssembledPuzzleBetweenCommands) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", " " + kIdA + " = remembered\r\n");
    const fs::path folderA = storePuzzle(w, kIdA, smallJpeg(8, 8, 6));
    FakePanes panes;
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.description, "remembered");

    fs::remove_all(folderA);
    storePuzzle(w, kIdB, patterned(500), {1});
    decodePuzzles(w.session, panes);
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", decodedLine(kIdB, 2, 3)}));
    EXPECT_EQ(w.session.lastPuzzleId, kIdA);
    EXPECT_EQ(panes.description, "remembered");
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
}

TEST(DecodePuzzles, StopsAtAHandMadeFolderNameBeforeItsLine) {
    WorkFolder w;
    fs::create_directories(w / "Puzzles" / "my own puzzle here");
    FakePanes panes;
    EXPECT_EQ(runErrorOf([&] { decodePuzzles(w.session, panes); }),
              "'her' is not a valid integer value");
    EXPECT_EQ(panes.report, std::vector<std::string>{" "});
}

TEST(DecodePuzzles, KeepsTheLinesWrittenBeforeAHandMadeFolder) {
    WorkFolder w;
    storePuzzle(w, kIdA, patterned(300), {1});
    storePuzzle(w, kIdB, patterned(900), {5});
    fs::create_directories(w / "Puzzles" / "0A 1B 2C 3D . x7");
    FakePanes panes;
    EXPECT_EQ(runErrorOf([&] { decodePuzzles(w.session, panes); }),
              "'x7' is not a valid integer value");
    std::vector<std::string> expected{" "};
    for (const auto& folder : w.session.memo2) {
        if (folder.ends_with("x7"))
            break;
        expected.push_back(decodedLine(folder.substr(0, 11),
                                       StoreLayout::frameCountOfFolder(folder) - 1,
                                       StoreLayout::frameCountOfFolder(folder)));
    }
    EXPECT_EQ(w.session.memo2.size(), 3u);
    EXPECT_EQ(panes.report, expected);
}

TEST(DecodePuzzles, AMissingFrameFileStopsAndLeavesTheEarlierFileUntouched) {
    WorkFolder w;
    writeFile(w / puzzleFile(kIdA), "earlier puzzle");
    const fs::path folder = storePuzzle(w, kIdA, patterned(450), {2});
    writeFile(folder / "not a frame.bin", "x");
    FakePanes panes;
    EXPECT_EQ(runErrorOf([&] { decodePuzzles(w.session, panes); }), "File not found");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", decodedLine(kIdA, 3, 3)}));
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{puzzleFile(kIdA)});
    EXPECT_EQ(panes.pictures.count(PicturePane::Image7), 0u);
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), "earlier puzzle");
    for (const auto& name : listFolder(w.path()))
        EXPECT_FALSE(isPartialName(name)) << name;
}

TEST(DecodePuzzles, ACorruptPictureStopsWithTheDecoderErrorAndStaysListed) {
    WorkFolder w;
    const std::string bytes = patterned(250);
    storePuzzle(w, kIdA, bytes);
    FakePanes panes;
    const std::string error = runErrorOf([&] { decodePuzzles(w.session, panes); });
    EXPECT_TRUE(error.starts_with("JPEG error #")) << error;
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{puzzleFile(kIdA)});
    EXPECT_EQ(readFile(w / puzzleFile(kIdA)), bytes);
    EXPECT_EQ(w.session.lastPuzzleId, kIdA);
}

TEST(DecodePuzzles, AMissingLogStopsWithFileNotFound) {
    WorkFolder w;
    fs::remove(w / "ThumbList.txt");
    storePuzzle(w, kIdA, patterned(100), {1});
    FakePanes panes;
    EXPECT_EQ(runErrorOf([&] { decodePuzzles(w.session, panes); }), "File not found");
    EXPECT_EQ(panes.report.size(), 2u);
}
