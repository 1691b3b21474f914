#include "core/file_io.h"
#include "core/run_error.h"
#include "store/description_log.h"
#include "commands/work_folder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

TEST(WorkFolderStartUp, PreparesAnEmptyFolderAndLeavesAPreparedOneAlone) {
    WorkFolder work;
    fs::remove_all(work / "Thumbs");
    fs::remove_all(work / "Puzzles");
    fs::remove(work / "ThumbList.txt");
    Session session;
    prepareWorkFolder(session, work.path());
    EXPECT_EQ(session.workFolder, work.path());
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
    EXPECT_EQ(readFile(work / "ThumbList.txt"), "");

    writeFile(work / "ThumbList.txt", " 0A 1B 2C 3D = kept\r\n");
    writeFile(work / "Thumbs/x", "kept");
    prepareWorkFolder(session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), " 0A 1B 2C 3D = kept\r\n");
    EXPECT_EQ(readFile(work / "Thumbs/x"), "kept");
}

TEST(WorkFolderStartUp, RemovesUnfinishedFilesLeftByACrash) {
    WorkFolder work;
    fs::create_directories(work / "Thumbs/0A 1B 2C 3D . 2");
    for (const char* name :
         {".zelto-partial-9-0-in.HEX", "Thumbs/0A 1B 2C 3D . 2/.zelto-partial-9-1-02 00.bin",
          "Puzzles/.zelto-partial-9-2-x"})
        writeFile(work / name, "half");
    writeFile(work / "Thumbs/0A 1B 2C 3D . 2/01 00.bin", "whole");
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
    EXPECT_EQ(listFolder(work / "Thumbs/0A 1B 2C 3D . 2"), std::vector<std::string>{"01 00.bin"});
    EXPECT_TRUE(listFolder(work / "Puzzles").empty());
}

TEST(WorkFolderStartUp, AFileInTheWayOfAStoreFolderIsPassedOverSilently) {
    WorkFolder work;
    fs::remove_all(work / "Puzzles");
    writeFile(work / "Puzzles", "a file");
    EXPECT_NO_THROW(prepareWorkFolder(work.session, work.path()));
    EXPECT_EQ(readFile(work / "Puzzles"), "a file");
}

namespace {
// The marker an append leaves beside the log when it is killed inside its write.
std::string appendMarker(std::size_t sizeBefore) {
    return std::string(kPartialPrefix) + "append-" + std::to_string(sizeBefore) + "-ThumbList.txt";
}
} // namespace

TEST(WorkFolderStartUp, CutsOffALogLineThatAKillLeftHalfWritten) {
    WorkFolder work;
    const std::string whole = " 0A 1B 2C 3D = first\r\n";
    writeFile(work / "ThumbList.txt", whole + " 1A 2B 3C 4D = sec");
    writeFile(work / appendMarker(whole.size()), "");
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), whole);
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
    // The description comes whole with the next pass that meets its text frame.
    DescriptionLog log(work / "ThumbList.txt");
    log.add("1A 2B 3C 4D", "second");
    EXPECT_EQ(readFile(work / "ThumbList.txt"), whole + " 1A 2B 3C 4D = second\r\n");
}

TEST(WorkFolderStartUp, KeepsALogLineWrittenWholeBeforeTheKill) {
    WorkFolder work;
    const std::string log = " 0A 1B 2C 3D = first\r\n 1A 2B 3C 4D = second\r\n";
    writeFile(work / "ThumbList.txt", log);
    writeFile(work / appendMarker(22), "");
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), log);
    EXPECT_FALSE(fs::exists(work / appendMarker(22)));
}

TEST(WorkFolderStartUp, KeepsALastLineEditedByHandWithoutItsLineEnd) {
    WorkFolder work;
    const std::string byHand = " 0A 1B 2C 3D = typed by hand";
    writeFile(work / "ThumbList.txt", byHand);
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), byHand);

    // A kill inside the append that first ends that line: the line typed by hand stays.
    writeFile(work / "ThumbList.txt", byHand + "\r\n 1A 2B");
    writeFile(work / appendMarker(byHand.size()), "");
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), byHand);
}

TEST(WorkFolderStartUp, TakesTheLastAppendOfSeveralMarkers) {
    WorkFolder work;
    const std::string whole = " 0A 1B 2C 3D = first\r\n 1A 2B 3C 4D = second\r\n";
    writeFile(work / "ThumbList.txt", whole + " 2A 3B");
    writeFile(work / appendMarker(0), "");
    writeFile(work / appendMarker(22), "");
    writeFile(work / appendMarker(whole.size()), "");
    writeFile(work / appendMarker(whole.size() + 100), ""); // beyond the end: not this log's
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(readFile(work / "ThumbList.txt"), whole);
}

TEST(WorkFolderStartUp, FinishesTheRemovalOfImageFoldersThatAKillInterrupted) {
    WorkFolder work;
    // A folder moved out of sight and half emptied goes; one that keeps a folder of its own
    // takes its name back with what it keeps.
    const fs::path gone = work / "Thumbs/.zelto-partial-9-3-0A 1B 2C 3D . 3";
    const fs::path kept = work / "Thumbs/.zelto-partial-9-4-1A 2B 3C 4D . 2";
    for (const fs::path& folder : {gone, kept / "notes", work / "Thumbs/1B 2C 3D 4E . 1"})
        fs::create_directories(folder);
    writeFile(gone / "02 00.bin", std::string(200, 'a'));
    writeFile(gone / ".zelto-partial-9-1-01 00.bin", "half");
    writeFile(kept / "01 00.bin", "b");
    writeFile(kept / "notes/mine.txt", "kept");
    writeFile(work / "Thumbs/1B 2C 3D 4E . 1/01 00.bin", "whole");
    prepareWorkFolder(work.session, work.path());
    EXPECT_EQ(treeOf(work / "Thumbs"),
              (std::vector<std::string>{"1A 2B 3C 4D . 2/", "1A 2B 3C 4D . 2/notes/",
                                        "1A 2B 3C 4D . 2/notes/mine.txt 4", "1B 2C 3D 4E . 1/",
                                        "1B 2C 3D 4E . 1/01 00.bin 5"}));
}

TEST(WorkFolderStartUp, CutsBackTheZerosAndCutLinesAPowerCutLeftAtTheEndOfTheLog) {
    WorkFolder work;
    const std::string before = " 0A 1B 2C 3D = before\r\n";
    const std::string appended = " 1A 2B 3C 4D = appended\r\n";
    // The marker of the command and the one of the append in progress: zeros stand before the
    // later one, so the log goes back to the command's.
    for (const std::string& tail : {appended + std::string(30, '\0'),
                                    std::string(appended.size() + 30, '\0'), appended + " 2A 3B"}) {
        writeFile(work / "ThumbList.txt", before + tail);
        writeFile(work / appendMarker(before.size()), "");
        writeFile(work / appendMarker(before.size() + appended.size()), "");
        prepareWorkFolder(work.session, work.path());
        const std::string log = readFile(work / "ThumbList.txt");
        EXPECT_TRUE(log == before || log == before + appended) << log;
        EXPECT_EQ(log == before, tail[0] == '\0');
    }
}
