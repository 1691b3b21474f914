#include "core/file_io.h"
#include "core/run_error.h"
#include "commands/work_folder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

TEST(AppendLines, AppendsAndLeavesNothingBeside) {
    WorkFolder work;
    const auto before = listFolder(work.path());
    appendLines(work / "ThumbList.txt", " 0A 1B 2C 3D = one\r\n");
    appendLines(work / "ThumbList.txt", " 1A 2B 3C 4D = two\r\n");
    EXPECT_EQ(readFile(work / "ThumbList.txt"), " 0A 1B 2C 3D = one\r\n 1A 2B 3C 4D = two\r\n");
    EXPECT_EQ(listFolder(work.path()), before);
    EXPECT_EQ(messageOf([&] { appendLines(work / "missing.txt", "x\n"); }), "File not found");
    EXPECT_EQ(listFolder(work.path()), before);
}

TEST(AppendLines, WhileTheBytesAreWrittenAMarkerNamesTheSizeBefore) {
    WorkFolder work;
    // A pipe holds the write up until the marker has been seen.
    const fs::path pipe = work / "log";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string bytes = std::string(200000, 'x') + "\n";
    std::thread writer([&] { appendLines(pipe, bytes); });
    const int fd = ::open(pipe.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const fs::path marker = work / (std::string(kPartialPrefix) + "append-0-log");
    for (int i = 0; i < 1000 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(fs::exists(marker));
    std::string got;
    char block[65536];
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
        got.append(block, static_cast<std::size_t>(n));
    ::close(fd);
    writer.join();
    EXPECT_EQ(got, bytes);
    EXPECT_FALSE(fs::exists(marker));
}

TEST(AppendLines, LinesCutByAKillAreCutBackToWholeLinesAtTheNextStart) {
    WorkFolder work;
    const fs::path log = work / "ThumbList.txt";
    // Lines of many pages: the kernel gives up a write for a fatal signal at a page boundary
    // and keeps what it has written.
    const std::string line = std::string(1 << 16, 'x') + "\r\n";
    std::mt19937 rng(7);
    int cut = 0;
    for (int kill = 0; kill < 60; ++kill) {
        writeFile(log, "");
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (;;)
                    appendLines(log, line);
            } catch (...) {
            }
            ::_exit(1); // never back into the test program
        }
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(500 + rng() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        if (fs::file_size(log) % line.size() != 0)
            ++cut;
        prepareWorkFolder(work.session, work.path());
        const std::string content = readFile(log);
        ASSERT_EQ(content.size() % line.size(), 0u) << "kill " << kill;
        ASSERT_EQ(content,
                  [&] {
                      std::string lines;
                      for (std::size_t n = content.size() / line.size(); n > 0; --n)
                          lines += line;
                      return lines;
                  }())
            << "kill " << kill;
    }
    std::cout << "[ appends  ] " << cut << " of 60 kills cut a line\n";
}
