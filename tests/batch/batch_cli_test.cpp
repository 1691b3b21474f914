#include "batch/batch_runner.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto::test;

namespace {
const std::string kUsage =
    "Usage: Zeltodecoder-batch [--puzzles] [--previews DIR] [--kiss HOST:PORT [--sids URL ...]] "
    "[FILE ...] | --help | --version\n";
}

TEST(BatchCommandLine, UnknownOptionGivesOneUsageLineAndStatusTwo) {
    BatchFolder folder;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--bogus"}, {"a.kss", "-p", "b.txt"}, {"--puzzle"}}) {
        const auto result = folder.run(arguments);
        EXPECT_EQ(result.status, 2) << arguments[0];
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, kUsage);
    }
    // Nothing is decoded or prepared.
    EXPECT_TRUE(listFolder(folder.work()).empty());
}

TEST(BatchCommandLine, VersionAndHelpGoToStandardOutput) {
    BatchFolder folder;
    auto result = folder.run({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Zeltodecoder-batch 1.3\n");
    EXPECT_EQ(result.err, "");

    result = folder.run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with(kUsage + "\n")) << result.out;
    EXPECT_NE(result.out.find("--puzzles"), std::string::npos);
    EXPECT_EQ(result.err, "");

    // The first of them decides, before any file is looked at.
    result = folder.run({"missing.kss", "--version", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Zeltodecoder-batch 1.3\n");
    EXPECT_TRUE(listFolder(folder.work()).empty());
}

TEST(BatchCommandLine, NoFilesIsNothingToDo) {
    BatchFolder folder;
    const auto result = folder.run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST(BatchCommandLine, WorkingFolderThatCannotBePreparedStopsEverything) {
    BatchFolder folder;
    writeFile(folder.captures() / "a.hex", "");
    const auto result = folder.run({(folder.captures() / "a.hex").string(), "--puzzles"}, true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Zeltodecoder-batch: File not found\n");
}

TEST(BatchCommandLine, DoubleDashMakesAnOptionLikeNameAFile) {
    BatchFolder folder;
    writeFile(folder.work() / "--puzzles", "");
    const auto result = folder.run({"--", "--puzzles"});
    EXPECT_EQ(result.status, 0) << result.err;
    // Decoded as an empty HEX frame file, not taken as the option.
    EXPECT_EQ(result.out, " >>>  No valid frames found!\n");
    EXPECT_EQ(result.err, "");
}

TEST(BatchCommandLine, AnEmptyNameIsAFileThatIsNotFound) {
    BatchFolder folder;
    writeFile(folder.work() / "next.hex", "");
    const auto result = folder.run({"", "next.hex"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Zeltodecoder-batch: : File not found\n");
    EXPECT_EQ(result.out, " >>>  No valid frames found!\n");
}
