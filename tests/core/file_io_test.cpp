#include "core/file_io.h"
#include "core/run_error.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zelto;
using namespace zelto::test;

namespace {
ino_t inodeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_ino;
}
} // namespace

TEST(WholeFile, ReplacesTheFileOnlyOnCommit) {
    WorkFolder work;
    writeFile(work / "f.bin", "old");
    {
        WholeFile file(work / "f.bin");
        file.write("new but never committed");
    }
    EXPECT_EQ(readFile(work / "f.bin"), "old");
    EXPECT_EQ(listFolder(work.path()).size(), 4u) << "no temporary file is left";
    WholeFile file(work / "f.bin");
    file.write(std::string(100000, 'x'));
    file.write("y");
    file.commit();
    EXPECT_EQ(readFile(work / "f.bin"), std::string(100000, 'x') + "y");
}

TEST(WholeFile, AFileInAMissingFolderIsFileNotFound) {
    WorkFolder work;
    try {
        writeWholeFile(work / "no/such/f.bin", "x");
        FAIL();
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST(WriteWholeFile, LeavesAFileHoldingTheSameBytesUntouched) {
    WorkFolder work;
    writeWholeFile(work / "f.bin", "frame");
    const ino_t first = inodeOf(work / "f.bin");
    writeWholeFile(work / "f.bin", "frame");
    EXPECT_EQ(inodeOf(work / "f.bin"), first);
    writeWholeFile(work / "f.bin", "other");
    EXPECT_EQ(readFile(work / "f.bin"), "other");
    writeWholeFile(work / "e.bin", "");
    writeWholeFile(work / "e.bin", "");
    EXPECT_EQ(readFile(work / "e.bin"), "");
}

TEST(InputFile, ReadsLinesEndedByLfOrCrLf) {
    WorkFolder work;
    writeFile(work / "t.txt", "a\r\nb\n\r\nlast");
    InputFile in(work / "t.txt");
    std::string line;
    std::vector<std::string> lines;
    while (in.readLine(line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "last"}));
    EXPECT_THROW(InputFile(work / "missing"), RunError);
}
