// A frame store changed by hand: folders with names no frame makes, files and folders where
// the other is expected, more files than frames and odd names inside image folders. Passes
// and Puzzles > Decode stop with a run-time message or pass them over; what is kept there is
// never removed or replaced, and nothing is written beside the working folder.
#include "commands/open_hex.h"
#include "commands/puzzles_decode.h"
#include "core/file_io.h"
#include "core/run_error.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIdText = "0A 1B 2C 3D";
const std::string kPuzzleFile = "puzzl 0A 1B 2C 3D.jpg";
const std::string kThumbFile = "thumb 0A 1B 2C 3D.jpg";

class HostileStore : public ::testing::Test {
  protected:
    HostileStore() { panes.decodePictures = false; }

    std::string decode(const std::vector<std::string>& frames) {
        writeFile(nest / "in.HEX", hexFile(frames));
        return messageOf([&] { openHexFile(nest.session, panes, nest / "in.HEX"); });
    }
    std::string decodePuzzles() {
        return messageOf([&] { zelto::decodePuzzles(nest.session, panes); });
    }
    // A puzzle folder of the frames of `image`, as the decoding pass leaves it.
    fs::path storePuzzle(const std::string& image) {
        const long count = static_cast<long>(image.size() / 200 + 1);
        const fs::path folder = nest / "Puzzles" / StoreLayout::imageFolderName(kIdText, count);
        fs::create_directories(folder);
        for (long f = count; f >= 1; --f)
            writeFile(folder / StoreLayout::frameFileName(f),
                      image.substr(static_cast<std::size_t>(count - f) * 200, 200));
        return folder;
    }
    void emptyPuzzles() {
        fs::remove_all(nest / "Puzzles");
        fs::create_directory(nest / "Puzzles");
    }

    NestedWorkFolder nest;
    FakePanes panes;
};

std::string puzzleLine(const std::string& id, long received, long total) {
    return "Puzzle " + id + " : received " + std::to_string(received) + " frames from a total of " +
           std::to_string(total);
}

} // namespace

TEST_F(HostileStore, HandMadePuzzleFolderNamesStopBeforeTheirLineOrArePassedOver) {
    writeFile(nest / kPuzzleFile, "earlier puzzle");
    const std::vector<std::pair<std::string, std::string>> stopping = {
        {std::string(15, ' '), "' ' is not a valid integer value"},
        {"0A 1B 2C 3D . 1.", "'1.' is not a valid integer value"},
        {"0A 1B 2C 3D . 1 extra", "'1 e' is not a valid integer value"},
        {std::string(250, 'x'), "'xxx' is not a valid integer value"},
        {"short", "'' is not a valid integer value"},
        {"0A 1B 2C 3D . \xFF\xFE", "'\xFF\xFE' is not a valid integer value"},
    };
    const std::vector<std::string> outside = nest.outside();
    for (const auto& [name, message] : stopping) {
        SCOPED_TRACE(name);
        emptyPuzzles();
        fs::create_directory(nest / "Puzzles" / name);
        writeFile(nest / "Puzzles" / name / "01 00.bin", "x");
        EXPECT_EQ(decodePuzzles(), message);
        EXPECT_EQ(panes.report, std::vector<std::string>{" "});
    }
    // Of a very long count three digits are read: a puzzle of 999 frames, one received.
    emptyPuzzles();
    const std::string longCount = "0A 1B 2C 3D . " + std::string(241, '9');
    fs::create_directory(nest / "Puzzles" / longCount);
    writeFile(nest / "Puzzles" / longCount / "01 00.bin", "x");
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", puzzleLine(kIdText, 1, 999)}));
    // Names beginning with a dot are hidden, and "." and ".." are no puzzles.
    emptyPuzzles();
    for (const char* name : {"...", ". 0A 1B 2C 3D . 1", ".. . 1"})
        fs::create_directory(nest / "Puzzles" / name);
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", " No puzzles received..."}));
    EXPECT_EQ(readFile(nest / kPuzzleFile), "earlier puzzle");
    EXPECT_EQ(nest.outside(), outside);
}

TEST_F(HostileStore, AHandMadeFolderOfNoFramesNeverReplacesAPuzzle) {
    writeFile(nest / kPuzzleFile, "earlier puzzle");
    for (const char* count : {"0", "00", "-0", "-1"}) {
        SCOPED_TRACE(count);
        emptyPuzzles();
        fs::create_directory(nest / "Puzzles" / (kIdText + " . " + count));
        EXPECT_EQ(decodePuzzles(), "");
        ASSERT_EQ(panes.report.size(), 2u);
        EXPECT_TRUE(panes.report[1].starts_with(puzzleLine(kIdText, 0, 0).substr(0, 32)))
            << panes.report[1];
        EXPECT_EQ(panes.report[1].find("decoded"), std::string::npos);
        EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
        EXPECT_EQ(readFile(nest / kPuzzleFile), "earlier puzzle");
    }
}

TEST_F(HostileStore, NamesOfAnyKindAreJoinedInsideTheWorkingFolder) {
    const std::vector<std::string> outside = nest.outside();
    // Whatever the first eleven characters of a folder name, its puzzle file is a file of
    // the working folder: a name cannot hold a "/".
    for (const std::string id :
         {"zz zz zz zz", "xy\\..\\..\\..", "  .  .  . .", "\xFF\xFE\x01 abc def"}) {
        SCOPED_TRACE(id);
        emptyPuzzles();
        fs::create_directory(nest / "Puzzles" / (id + " . 1"));
        writeFile(nest / "Puzzles" / (id + " . 1") / "01 00.bin", "puzzle " + id);
        EXPECT_EQ(decodePuzzles(), "");
        EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{"puzzl " + id + ".jpg"});
        EXPECT_EQ(readFile(nest / ("puzzl " + id + ".jpg")), "puzzle " + id);
    }
    EXPECT_EQ(nest.outside(), outside);
}

TEST_F(HostileStore, AFolderInPlaceOfAFrameFileIsNoFrameAndCannotBeJoined) {
    writeFile(nest / kPuzzleFile, "earlier puzzle");
    const fs::path folder = storePuzzle(std::string(300, 'p'));
    fs::remove(folder / "01 00.bin");
    fs::create_directory(folder / "01 00.bin");
    writeFile(folder / "01 00.bin" / "inside", "kept");
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", puzzleLine(kIdText, 1, 2)}));

    // With one more file the folder counts as complete; the folder cannot be read as a frame.
    writeFile(folder / "notes", "mine");
    EXPECT_EQ(decodePuzzles(), "File access denied");
    EXPECT_EQ(readFile(nest / kPuzzleFile), "earlier puzzle");
    EXPECT_EQ(readFile(folder / "01 00.bin" / "inside"), "kept");
    for (const auto& name : listFolder(nest.work()))
        EXPECT_FALSE(isPartialName(name)) << name;

    // A thumbnail frame cannot be written over such a folder either.
    const std::string thumbFolder = kIdText + " . 2";
    fs::create_directories(nest / "Thumbs" / thumbFolder / "02 00.bin");
    writeFile(nest / "Thumbs" / thumbFolder / "02 00.bin" / "inside", "kept");
    EXPECT_EQ(decode({imageFrame(ImageKind::Thumbnail, kId4, 300, 2, std::string(200, 't'))}),
              "File access denied");
    EXPECT_EQ(readFile(nest / "Thumbs" / thumbFolder / "02 00.bin" / "inside"), "kept");
    EXPECT_EQ(listFolder(nest / "Thumbs" / thumbFolder), std::vector<std::string>{"02 00.bin"});
}

TEST_F(HostileStore, AFileInPlaceOfAnImageFolderStopsThePassAndIsKept) {
    writeFile(nest / "Thumbs" / (kIdText + " . 2"), "a file of mine");
    writeFile(nest / "Puzzles" / (kIdText + " . 2"), "another file");
    const auto frames = imageFrames(ImageKind::Thumbnail, kId4, std::string(300, 't'));
    EXPECT_EQ(decode(frames), "File not found");
    EXPECT_EQ(panes.report.size(), 1u);
    auto puzzle = imageFrames(ImageKind::Puzzle, kId4, std::string(300, 'p'));
    EXPECT_EQ(decode(puzzle), "File not found");
    EXPECT_EQ(readFile(nest / "Thumbs" / (kIdText + " . 2")), "a file of mine");
    EXPECT_EQ(readFile(nest / "Puzzles" / (kIdText + " . 2")), "another file");
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", " No puzzles received..."}));
    EXPECT_EQ(listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs", "in.HEX"}));
}

TEST_F(HostileStore, HandMadeThumbnailFoldersBesideAJoinedThumbnailAreLeftAlone) {
    const std::vector<std::string> handMade = {
        "zz", "0A 1B 2C 3D . x", "...", std::string(255, 'L'), "0A 1B 2C 3D . 2 ", " . 2"};
    for (const std::string& name : handMade) {
        fs::create_directory(nest / "Thumbs" / name);
        writeFile(nest / "Thumbs" / name / "01 00.bin", "mine");
    }
    const std::vector<std::string> before = treeOf(nest / "Thumbs");
    const std::string jpeg = smallJpeg(16, 16, 9);
    EXPECT_EQ(decode(imageFrames(ImageKind::Thumbnail, kId4, jpeg)), "");
    EXPECT_EQ(readFile(nest / kThumbFile), jpeg);
    EXPECT_EQ(treeOf(nest / "Thumbs"), before);
}

TEST_F(HostileStore, AJoinedThumbnailKeepsWhatIsNoFileOfItsFolder) {
    const std::string jpeg = smallJpeg(16, 16, 4);
    const auto frames = imageFrames(ImageKind::Thumbnail, kId4, jpeg);
    const std::string folder = kIdText + " . " + std::to_string(frames.size());
    fs::create_directories(nest / "Thumbs" / folder / "my notes");
    writeFile(nest / "Thumbs" / folder / "my notes" / "note.txt", "kept");
    EXPECT_EQ(decode(frames), "");
    EXPECT_EQ(readFile(nest / kThumbFile), jpeg);
    // The frame files go; the folder stays for what it holds besides.
    EXPECT_EQ(listFolder(nest / "Thumbs" / folder), std::vector<std::string>{"my notes"});
    EXPECT_EQ(readFile(nest / "Thumbs" / folder / "my notes" / "note.txt"), "kept");
}

TEST_F(HostileStore, OddNamesInsideAnImageFolderCountAsFilesAndAreNeverRead) {
    writeFile(nest / kPuzzleFile, "earlier puzzle");
    const fs::path folder = storePuzzle(std::string(500, 'q'));
    const std::vector<std::string> odd = {
        "line\nbreak", "\xFF\xFE",   ".hidden", std::string(255, 'n'),
        "01 00.BIN",   " 02 00.bin", "*"};
    for (const std::string& name : odd)
        writeFile(folder / name, "odd");
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{
                                " ", puzzleLine(kIdText, static_cast<long>(3 + odd.size()), 3)}));
    // Unfinished files are not counted: with the frame files gone but as many odd names as
    // frames, the folder counts as complete and its first missing frame file stops the join.
    for (const char* frame : {"03 00.bin", "02 00.bin", "01 00.bin"})
        fs::remove(folder / frame);
    for (std::size_t i = 3; i < odd.size(); ++i)
        fs::remove(folder / odd[i]);
    writeFile(folder / (std::string(kPartialPrefix) + "1-1-03 00.bin"), "half");
    EXPECT_EQ(decodePuzzles(), "File not found");
    EXPECT_EQ(panes.report,
              (std::vector<std::string>{" ", puzzleLine(kIdText, 3, 3) + "  >  Puzzle decoded!"}));
    EXPECT_EQ(readFile(nest / kPuzzleFile), "earlier puzzle");
}

TEST_F(HostileStore, AnEntryWhoseTypeCannotBeReadIsCountedAndTheCountGoesOn) {
    const fs::path folder = storePuzzle(std::string(20 * 200 - 1, 'r'));
    // A link to itself cannot be followed; it is no folder, so it counts like a file.
    fs::create_symlink("loop", folder / "loop");
    EXPECT_EQ(frameFileCount(folder), 21);
    EXPECT_EQ(decodePuzzles(), "");
    EXPECT_EQ(panes.report, (std::vector<std::string>{" ", puzzleLine(kIdText, 21, 20)}));
    // A link to a folder is a folder.
    fs::remove(folder / "loop");
    fs::create_directory(nest.root() / "elsewhere");
    fs::create_directory_symlink(nest.root() / "elsewhere", folder / "linked");
    EXPECT_EQ(frameFileCount(folder), 20);
}
