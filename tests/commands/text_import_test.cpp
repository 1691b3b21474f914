#include "commands/text_import.h"

#include "core/run_error.h"
#include "support/file_size_limit.h"
#include "support/kiss_capture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

struct TextRun {
    FakePanes panes;
};

// A frame as the beacon sends it: command byte, then a frame whose first byte is 00.
std::string monitorFrame(std::size_t n) {
    std::string frame = plainFrame(n);
    frame[1] = '\0';
    return frame;
}

// A data line as a monitor writes it: the frame without its command byte, lower case,
// no blank at the end.
std::string dataLine(std::string_view frame) {
    std::string line = hexTokens(frame.substr(1));
    line.pop_back();
    for (char& c : line)
        if (c >= 'A' && c <= 'F')
            c = static_cast<char>(c - 'A' + 'a');
    return line;
}

std::string joinLines(const std::vector<std::string>& lines, std::string_view end) {
    std::string out;
    for (const auto& line : lines)
        out += line + std::string(end);
    return out;
}

class TextImport : public ::testing::Test {
  protected:
    TextRun import(const std::string& captureName, std::string_view captureBytes) {
        writeFile(work / captureName, captureBytes);
        TextRun run;
        openTextFile(work.session, run.panes, work / captureName);
        return run;
    }

    // The report pane once the import is done: emptied for the pass, which reports a
    // file without beacon frames in one line.
    static std::vector<std::string> emptyPassReport() { return {" >>>  No valid frames found!"}; }

    WorkFolder work;
};

const std::string kHeader = "1:Fm ON0ZEL To BEACON <UI pid=F0 Len=110 >[18:02:11]";

} // namespace

TEST_F(TextImport, ConvertsEachDataLineThatFollowsAHeaderLine) {
    const std::string a = monitorFrame(110);
    const std::string b = monitorFrame(120);
    const std::string c = monitorFrame(130);
    const std::string d = monitorFrame(140);
    const std::vector<std::string> lines = {
        dataLine(monitorFrame(90)), // a cut recording starts with a data line: dropped
        kHeader,
        dataLine(a), //
        kHeader,
        dataLine(b),                //
        dataLine(monitorFrame(91)), // a data line after a data line: dropped
        kHeader,
        "",          // two header lines before the next frame
        dataLine(c), //
        "",
        kHeader,
        dataLine(d), //
        kHeader,     // a last header line without its data line
    };

    TextRun run = import("pass1.txt", joinLines(lines, "\r\n"));

    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile({a, b, c, d}));
    EXPECT_EQ(run.panes.report, emptyPassReport());
    EXPECT_EQ(run.panes.fileField, " HEX file saved:    " + (work / "pass1.HEX").string());
}

TEST_F(TextImport, LfOnlyAndCrLfCapturesGiveTheSameHexFile) {
    const std::vector<std::string> lines = {kHeader, dataLine(monitorFrame(110)), kHeader,
                                            dataLine(monitorFrame(120))};
    import("crlf.txt", joinLines(lines, "\r\n"));
    import("lf.txt", joinLines(lines, "\n"));
    import("noend.txt", joinLines(lines, "\n").substr(0, joinLines(lines, "\n").size() - 1));
    const std::string expected = hexFile({monitorFrame(110), monitorFrame(120)});
    EXPECT_EQ(readFile(work / "crlf.HEX"), expected);
    EXPECT_EQ(readFile(work / "lf.HEX"), expected);
    EXPECT_EQ(readFile(work / "noend.HEX"), expected);
}

TEST_F(TextImport, CopiesTheDataLineUpperCasedBetweenTheAddedTokenAndBlank) {
    import("short.txt", "header\n00 82 05 ab\nheader\n00 82 05 AB \nheader\n00 fe <zz>\n");
    EXPECT_EQ(readFile(work / "short.HEX"),
              "00 00 82 05 AB \r\n00 00 82 05 AB  \r\n00 00 FE <ZZ> \r\n");
}

TEST_F(TextImport, ACaptureWithoutConvertedLinesGivesAnEmptyHexFile) {
    for (const std::string& capture :
         {std::string(), std::string("header\r\n"), std::string("00 01\r\n00 02\r\n")}) {
        TextRun run = import("quiet.txt", capture);
        EXPECT_EQ(readFile(work / "quiet.HEX"), "");
        EXPECT_EQ(run.panes.report, emptyPassReport());
    }
}

TEST_F(TextImport, WritesIntoTheWorkingFolderAndReplacesAnEarlierFile) {
    std::filesystem::create_directory(work / "captures.d");
    import("captures.d/a.b.txt", "h\n00 01 02\n");
    EXPECT_EQ(readFile(work / "a.b.HEX"), "00 00 01 02 \r\n");
    EXPECT_FALSE(std::filesystem::exists(work / "captures.d/a.b.HEX"));
    TextRun run = import("captures.d/a.b.txt", "h\n00 03\n");
    EXPECT_EQ(readFile(work / "a.b.HEX"), "00 00 03 \r\n");
    EXPECT_EQ(run.panes.fileField, " HEX file saved:    " + (work / "a.b.HEX").string());
    import("data", "h\n00 04\n");
    EXPECT_EQ(readFile(work / "data.HEX"), "00 00 04 \r\n");
}

TEST_F(TextImport, PreparesThePanesAndTheWorkingFolderForThePass) {
    FakePanes panes;
    fillAsAfterAnEarlierPass(panes, work.session);
    writeFile(work / "pass1.txt", "h\n00 01\n");
    std::filesystem::current_path(work / "Puzzles");

    openTextFile(work.session, panes, work / "pass1.txt");

    EXPECT_TRUE(panes.pictures.empty());
    for (const auto& list : panes.lists)
        EXPECT_TRUE(list.empty());
    EXPECT_EQ(panes.description, "");
    EXPECT_EQ(panes.report, emptyPassReport());
    EXPECT_TRUE(work.session.memo4.entries().empty());
    EXPECT_TRUE(work.session.memo5.empty());
    EXPECT_GE(panes.normalLayouts, 1);
    EXPECT_GE(panes.repaints, 2);
    EXPECT_EQ(std::filesystem::current_path(), work.path());
}

TEST_F(TextImport, AMissingCaptureStopsBeforeTheReportAndTheHiddenListsChange) {
    expectMissingCaptureStopsBeforeTheReport(openTextFile, work, "nothere.txt");
}

TEST_F(TextImport, AFailingWriteLeavesTheEarlierHexFileAsItWas) {
    writeFile(work / "big.HEX", "earlier\r\n");
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i) {
        lines.push_back(kHeader);
        lines.push_back(dataLine(monitorFrame(300)));
    }
    writeFile(work / "big.txt", joinLines(lines, "\r\n"));
    FakePanes panes;
    {
        FileSizeLimit limit(100 * 1024);
        try {
            openTextFile(work.session, panes, work / "big.txt");
            FAIL() << "no error";
        } catch (const RunError& e) {
            EXPECT_STREQ(e.what(), "Disk full");
        }
    }
    EXPECT_EQ(readFile(work / "big.HEX"), "earlier\r\n");
    EXPECT_EQ(listFolder(work.path()), (std::vector<std::string>{"Puzzles", "ThumbList.txt",
                                                                 "Thumbs", "big.HEX", "big.txt"}));
}
