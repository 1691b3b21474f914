#include "batch/batch_panes.h"
#include "batch/buffered_output.h"
#include "batch/command_report.h"
#include "batch/progress_line.h"
#include "core/run_error.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace zelto;
using namespace zelto::test;

TEST(CommandReport, ReportLinesThenImagesThenMissingFramesWithRawBytes) {
    const std::string lines = std::string(" \nText.   ID : 0A 1B 2C 3D  caf\xE9\r\0x\n", 36);
    CommandReport report;
    report.reportBlocks = {std::string_view(lines).substr(0, 2), std::string_view(lines).substr(2)};
    report.imageFiles = {"thumb 0A 1B 2C 3D.jpg", "thumb 01 02 03 04.jpg"};
    report.missingMessages = {" Missing 3 frames from 12 in : thumb 0A 0A 0A 0A"};
    std::string out = "before\n";
    const auto append = [](std::string& to) {
        return [&to](std::string_view bytes) { to.append(bytes); };
    };
    writeCommandReport(report, append(out));
    EXPECT_EQ(out, std::string("before\n \nText.   ID : 0A 1B 2C 3D  caf\xE9\r\0x\n", 43) +
                       "Image: thumb 0A 1B 2C 3D.jpg\nImage: thumb 01 02 03 04.jpg\n"
                       " Missing 3 frames from 12 in : thumb 0A 0A 0A 0A\n");

    std::string empty;
    writeCommandReport(CommandReport{}, append(empty));
    EXPECT_EQ(empty, "");
}

namespace {
// A temporary file opened for writing, read back whole.
struct TempFile {
    fs::path path = fs::temp_directory_path() / ("zelto-out-" + std::to_string(::getpid()));
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ~TempFile() {
        ::close(fd);
        fs::remove(path);
    }
};
} // namespace

TEST(BufferedOutput, WritesEverythingInOrderInLargeBlocks) {
    TempFile file;
    int blocks = 0;
    std::string expected;
    {
        BufferedOutput out(file.fd, [&] { ++blocks; });
        for (int i = 0; i < 20000; ++i) {
            const std::string piece = "line " + std::to_string(i) + "\n";
            out.write(piece);
            expected += piece;
        }
        const std::string big(200000, 'z');
        out.write(big);
        expected += big;
        out.write("end\n");
        expected += "end\n";
    }
    EXPECT_EQ(readFile(file.path), expected);
    // About 400 kB in 64 kB blocks: a handful of writes, not one per piece.
    EXPECT_GE(blocks, 3);
    EXPECT_LE(blocks, 8);
}

TEST(BufferedOutput, NothingWrittenNoBlock) {
    TempFile file;
    int blocks = 0;
    {
        BufferedOutput out(file.fd, [&] { ++blocks; });
        out.flush();
    }
    EXPECT_EQ(blocks, 0);
}

TEST(BufferedOutput, RemembersTheFirstFailedWrite) {
    const int readOnly = ::open("/dev/null", O_RDONLY);
    BufferedOutput out(readOnly);
    out.write("lost\n");
    EXPECT_EQ(out.failure(), 0);
    out.flush();
    EXPECT_EQ(out.failure(), EBADF);
    out.write("also lost\n");
    out.flush();
    EXPECT_EQ(out.failure(), EBADF);
    ::close(readOnly);
}

TEST(ProgressLine, SilentWhenNotATerminal) {
    TempFile file;
    {
        ProgressLine progress(file.fd);
        EXPECT_FALSE(progress.active());
        progress.startStep("file 1/2");
        progress.frameDecoded();
        progress.commandProgress("decoding", 3, 10);
        progress.clear();
    }
    EXPECT_EQ(readFile(file.path), "");
}

namespace {
// A pseudo-terminal in raw mode: what is written to `terminal` is read back from `reader`.
struct PseudoTerminal {
    int reader = ::posix_openpt(O_RDWR | O_NOCTTY);
    int terminal = -1;
    PseudoTerminal() {
        if (reader < 0 || ::grantpt(reader) != 0 || ::unlockpt(reader) != 0)
            return;
        terminal = ::open(::ptsname(reader), O_RDWR | O_NOCTTY);
        termios mode{};
        if (terminal >= 0 && ::tcgetattr(terminal, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(terminal, TCSANOW, &mode);
        }
    }
    ~PseudoTerminal() {
        ::close(terminal);
        ::close(reader);
    }
    std::string drain() {
        std::string text;
        char buffer[256];
        pollfd p{reader, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(reader, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
};
} // namespace

TEST(ProgressLine, OverwritesOneLineOnATerminalAndErasesIt) {
    PseudoTerminal pty;
    if (pty.terminal < 0)
        GTEST_SKIP() << "no pseudo-terminal here";
    ProgressLine progress(pty.terminal);
    ASSERT_TRUE(progress.active());
    progress.startStep("file 12/15");
    EXPECT_EQ(pty.drain(), "\rfile 12/15, 0 frames");
    progress.startStep("file 13/15");
    EXPECT_EQ(pty.drain(), "\rfile 13/15, 0 frames");
    // A shorter line blanks out the rest of the longer one.
    progress.startStep("puzzles");
    EXPECT_EQ(pty.drain(), "\rpuzzles, 0 frames   ");
    progress.clear();
    EXPECT_EQ(pty.drain(), "\r" + std::string(17, ' ') + "\r");
    progress.clear();
    EXPECT_EQ(pty.drain(), "");
}

TEST(BatchPanes, KeepsTheReportPaneAndTheImageListsAndNotesClearing) {
    ProgressLine progress(-1);
    BatchPanes panes(progress);
    EXPECT_FALSE(panes.reportWasCleared());
    panes.reportAppendToLast("alone");
    panes.reportAppend("Puzzle 0A : received 1 frames from a total of 1");
    panes.reportAppendToLast("  >  Puzzle decoded!");
    EXPECT_EQ(panes.reportLines(),
              (std::vector<std::string>{
                  "alone", "Puzzle 0A : received 1 frames from a total of 1  >  Puzzle decoded!"}));
    EXPECT_FALSE(panes.reportWasCleared());
    panes.reportClear();
    EXPECT_TRUE(panes.reportWasCleared());
    EXPECT_TRUE(panes.reportLines().empty());
    panes.forgetReportCleared();
    EXPECT_FALSE(panes.reportWasCleared());

    panes.listAppend(ListPane::ListBox1, "icon01 02 03 04 .bmp");
    panes.listAppend(ListPane::ListBox2, "thumb 0A 1B 2C 3D.jpg");
    panes.listAppend(ListPane::ListBox3, "01 02 03 04");
    panes.listAppend(ListPane::ListBox3, "05 06 07 08");
    EXPECT_EQ(panes.imageFiles(), (std::vector<std::string>{"thumb 0A 1B 2C 3D.jpg"}));
    EXPECT_EQ(panes.incompleteIds(), (std::vector<std::string>{"01 02 03 04", "05 06 07 08"}));
    panes.listClear(ListPane::ListBox3);
    EXPECT_TRUE(panes.incompleteIds().empty());
    EXPECT_EQ(panes.imageFiles().size(), 1u);
    panes.listClear(ListPane::ListBox2);
    EXPECT_TRUE(panes.imageFiles().empty());
}

namespace {
std::string showFailure(BatchPanes& panes, const fs::path& file, std::string_view listed) {
    try {
        panes.showPicture(PicturePane::Image7, file, listed);
    } catch (const RunError& e) {
        return e.what();
    }
    return "";
}
} // namespace

TEST(BatchPanes, DecodesEveryPictureAsTheWindowWould) {
    WorkFolder folder;
    ProgressLine progress(-1);
    BatchPanes panes(progress);
    writeFile(folder / "good.jpg", smallJpeg(16, 8, 1));
    writeFile(folder / "good.bmp", smallBmp(8, 8));
    writeFile(folder / "junk.bmp", "not a bitmap at all");
    writeFile(folder / "junk.jpg", "not a JPEG at all");
    EXPECT_EQ(showFailure(panes, folder / "good.jpg", "good.jpg"), "");
    EXPECT_EQ(showFailure(panes, folder / "good.bmp", "good.bmp"), "");
    EXPECT_EQ(showFailure(panes, folder / "junk.bmp", "junk.bmp"), "Bitmap image is not valid");
    EXPECT_TRUE(showFailure(panes, folder / "junk.jpg", "junk.jpg").starts_with("JPEG error #"));
    EXPECT_EQ(showFailure(panes, folder / "gone.jpg", "gone.jpg"), "Cannot open file gone.jpg");
}
