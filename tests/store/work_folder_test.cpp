#include "core/run_error.h"
#include "store/work_folder.h"
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
