// The window's open commands on captures that change between the open dialog and the read,
// and on lines far longer than any report line.
#include "app/report_pane.h"
#include "window_fixture.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

const std::string kId4 = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3D});

// The open dialog answers with `chosen` after running `inDialog`, as if the file changed while
// the operator was choosing it.
class HostileWindow : public test::WindowFixture {
  protected:
    void open(const fs::path& capture) {
        chosen = capture;
        const std::string extension = capture.extension().string();
        if (extension == ".kss")
            form.OpenKSSfile1Click();
        else if (extension == ".txt")
            form.txtTOhexClick();
        else
            form.OpenHEXfile1Click();
    }
};

struct Capture {
    std::string name;
    std::string bytes;
};

std::vector<Capture> captures() {
    const std::string frame = test::textFrame(kId4, "a description");
    std::string data = test::hexTokens(frame.substr(1));
    data.pop_back();
    return {{"pass.kss", "\xC0" + frame + "\xC0"},
            {"pass.txt", "header\n" + data + "\n"},
            {"pass.HEX", test::hexFile({frame})}};
}

TEST_F(HostileWindow, ACaptureDeletedWhileChosenIsFileNotFound) {
    for (const Capture& capture : captures()) {
        const fs::path file = nest.captures() / capture.name;
        test::writeFile(file, capture.bytes);
        form.panes().reportAppend("earlier");
        inDialog = [&] { fs::remove(file); };
        messages.clear();
        open(file);
        EXPECT_EQ(messages, QStringList{"File not found"}) << capture.name;
        EXPECT_EQ(report().back(), "earlier") << capture.name;
    }
    EXPECT_EQ(test::listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
}

TEST_F(HostileWindow, ACaptureTruncatedWhileChosenIsReadAsItNowStands) {
    test::writeFile(nest / "pass.HEX", "the HEX frame file of the whole capture\r\n");
    for (const Capture& capture : captures()) {
        const fs::path file = nest.captures() / capture.name;
        test::writeFile(file, capture.bytes);
        inDialog = [&] { fs::resize_file(file, 0); };
        messages.clear();
        open(file);
        EXPECT_TRUE(messages.empty()) << capture.name;
        EXPECT_EQ(report().back(), " >>>  No valid frames found!") << capture.name;
    }
    // The imports wrote the HEX frame file of what they read: nothing.
    EXPECT_EQ(test::readFile(nest / "pass.HEX"), "");
    EXPECT_EQ(test::readFile(nest / "ThumbList.txt"), "");

    // Cut in the middle of its frame, the KISS capture has no frame left; the text frame of
    // the others is cut within the fields the pass reads.
    for (const Capture& capture : captures()) {
        const fs::path file = nest.captures() / capture.name;
        test::writeFile(file, capture.bytes);
        const std::size_t cut = capture.name == "pass.kss"   ? capture.bytes.size() / 2
                                : capture.name == "pass.txt" ? 7 + 20
                                                             : 20;
        inDialog = [&] { fs::resize_file(file, cut); };
        messages.clear();
        open(file);
        if (capture.name == "pass.kss") {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1) << capture.name;
            EXPECT_TRUE(messages[0].endsWith("' is not a valid integer value"))
                << messages[0].toStdString();
        }
    }
    EXPECT_EQ(test::readFile(nest / "ThumbList.txt"), "");
}

TEST_F(HostileWindow, ACaptureReplacedByAFolderWhileChosenIsAccessDenied) {
    for (const Capture& capture : captures()) {
        const fs::path file = nest.captures() / capture.name;
        test::writeFile(file, capture.bytes);
        inDialog = [&] {
            fs::remove(file);
            fs::create_directory(file);
        };
        messages.clear();
        open(file);
        EXPECT_EQ(messages, QStringList{"File access denied"}) << capture.name;
    }
    EXPECT_EQ(test::listFolder(nest.work()),
              (std::vector<std::string>{"Puzzles", "ThumbList.txt", "Thumbs"}));
}

TEST_F(HostileWindow, AFiftyMegabyteDataLineIsConvertedWithoutFillingThePane) {
    const std::string data = "00 " + std::string(50 << 20, 'b');
    const fs::path file = nest.captures() / "long.txt";
    test::writeFile(file, "header\n" + data + "\n");
    open(file);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(report(), std::vector<std::string>{" >>>  No valid frames found!"});
    EXPECT_EQ(fs::file_size(nest / "long.HEX"), data.size() + 6);
}

TEST_F(HostileWindow, ThePaneShowsALineFarLongerThanAnyReportLineCut) {
    ReportPane pane(new QPlainTextEdit(&form));
    const std::string longest = "Text.   ID : 0A 1B 2C 3D  " + std::string(65534, 'd');
    pane.append(longest);
    pane.append(std::string(50 << 20, 'x'));
    pane.append("after");
    const std::vector<std::string> lines = pane.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], longest);
    EXPECT_EQ(lines[1], std::string(ReportPane::kLongestLine, 'x'));
    EXPECT_EQ(lines[2], "after");
}

} // namespace
} // namespace zelto
