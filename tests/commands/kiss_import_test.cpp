#include "commands/kiss_import.h"

#include "core/run_error.h"
#include "support/file_size_limit.h"
#include "support/kiss_capture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::vector<std::string> kTrailer = {
    " ", " ---  Valid type 2, 3, 4 and 5 frames contained in the above KISS data:", " "};

struct KissRun {
    FakePanes panes;
};

// The report pane once a capture is read: its kept lines and the trailer.
std::vector<std::string> keptLinesReport(const std::vector<std::string>& keptLines) {
    std::vector<std::string> report = keptLines;
    report.insert(report.end(), kTrailer.begin(), kTrailer.end());
    return report;
}

// The report pane after importing a capture without beacon frames: the kept lines, the
// trailer and the decoding pass's one line for a file without valid frames.
std::vector<std::string> expectedReport(const std::vector<std::string>& keptLines) {
    std::vector<std::string> report = keptLinesReport(keptLines);
    report.push_back(" >>>  No valid frames found!");
    return report;
}

class KissImport : public ::testing::Test {
  protected:
    KissRun import(const std::string& captureName, std::string_view captureBytes) {
        writeFile(work / captureName, captureBytes);
        KissRun run;
        openKissFile(work.session, run.panes, work / captureName);
        return run;
    }

    WorkFolder work;
};

} // namespace

TEST_F(KissImport, ListsKeptFramesAsTheyStoodAndWritesThemUnescaped) {
    std::string escapes = plainFrame(70);
    escapes.replace(10, 4, bytesOf({0xC0, 0xDB, 0xC0, 0xDB}));
    // Written raw, as a faulty client might: DB before 41, and DB as the last byte.
    std::string strayEscape = plainFrame(80);
    strayEscape.replace(20, 2, bytesOf({0xDB, 0x41}));
    std::string escapeAtEnd = plainFrame(90);
    escapeAtEnd.back() = '\xDB';
    const std::string otherPort = plainFrame(100, '\x10');
    const std::string capture = kissStream({plainFrame(66), plainFrame(67), escapes}) +
                                strayEscape + "\xC0" + escapeAtEnd + "\xC0" + kissFrame(otherPort) +
                                kissFrame(plainFrame(333)) + kissFrame(plainFrame(334));

    KissRun run = import("pass1.kss", capture);

    EXPECT_EQ(run.panes.report,
              expectedReport({hexTokens(plainFrame(67)), hexTokens(kissEscaped(escapes)),
                              hexTokens(strayEscape), hexTokens(escapeAtEnd), hexTokens(otherPort),
                              hexTokens(plainFrame(333))}));
    std::string strayResolved = strayEscape;
    strayResolved.erase(20, 2);
    std::string endResolved = escapeAtEnd;
    endResolved.pop_back();
    const std::string hex = readFile(work / "pass1.HEX");
    EXPECT_EQ(hex, hexFile({plainFrame(67), escapes, strayResolved, endResolved, otherPort,
                            plainFrame(333)}));
    EXPECT_NE(hex.find("\r\n10 01 02 03 "), std::string::npos);
}

TEST_F(KissImport, KeptLengthIsCountedBeforeEscapesAreRemoved) {
    std::string grows = plainFrame(66);
    grows[30] = '\xDB'; // 67 bytes once escaped: kept
    std::string tooLong = plainFrame(333);
    tooLong[30] = '\xC0'; // 334 bytes once escaped: dropped
    std::string longest = plainFrame(332);
    longest[30] = '\xC0'; // 333 bytes once escaped: kept

    KissRun run = import("bounds.kss", kissStream({grows, tooLong, longest}));

    EXPECT_EQ(run.panes.report,
              expectedReport({hexTokens(kissEscaped(grows)), hexTokens(kissEscaped(longest))}));
    EXPECT_EQ(readFile(work / "bounds.HEX"), hexFile({grows, longest}));
}

TEST_F(KissImport, EveryWayOfDelimitingFramesGivesTheSameLines) {
    std::string first = plainFrame(120);
    first[40] = '\xC0';
    const std::string second = plainFrame(150, '\x10');
    std::string third = plainFrame(200);
    third[3] = '\xDB';
    const std::vector<std::string> frames = {first, second, third};
    const std::vector<std::string> kept = {hexTokens(kissEscaped(first)),
                                           hexTokens(kissEscaped(second)),
                                           hexTokens(kissEscaped(third))};

    const std::string ownDelimiters = kissFrame(first) + kissFrame(second) + kissFrame(third);
    const std::string shared = kissStream(frames);
    const std::string repeated = "\xC0\xC0\xC0" + kissEscaped(first) + "\xC0\xC0\xC0\xC0" +
                                 kissEscaped(second) + "\xC0\xC0" + kissEscaped(third) + "\xC0";
    const std::string cutOff = "tail of an earlier frame" + shared + kissEscaped(first);

    for (const std::string& capture : {ownDelimiters, shared, repeated, cutOff}) {
        KissRun run = import("pass.kss", capture);
        EXPECT_EQ(run.panes.report, expectedReport(kept));
        EXPECT_EQ(readFile(work / "pass.HEX"), hexFile(frames));
    }
}

TEST_F(KissImport, ACaptureWithoutKeptFramesGivesTheTrailerAndAnEmptyHexFile) {
    for (const std::string& capture :
         {std::string(), std::string("\xC0"), std::string("\xC0\xC0\xC0"),
          kissFrame(plainFrame(66)) + kissFrame(plainFrame(334)), plainFrame(100)}) {
        KissRun run = import("quiet.kss", capture);
        EXPECT_EQ(run.panes.report, expectedReport({}));
        EXPECT_EQ(readFile(work / "quiet.HEX"), "");
    }
}

TEST_F(KissImport, WritesIntoTheWorkingFolderUnderTheCaptureName) {
    std::filesystem::create_directory(work / "captures.d");
    KissRun run = import("captures.d/pass1.kss", kissFrame(plainFrame(100)));
    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile({plainFrame(100)}));
    EXPECT_FALSE(std::filesystem::exists(work / "captures.d/pass1.HEX"));

    import("data", kissFrame(plainFrame(101)));
    EXPECT_EQ(readFile(work / "data.HEX"), hexFile({plainFrame(101)}));
    import("a.b.kss", kissFrame(plainFrame(102)));
    EXPECT_EQ(readFile(work / "a.b.HEX"), hexFile({plainFrame(102)}));

    // A second import of a capture of that name replaces the file.
    import("pass1.kss", kissStream({plainFrame(90), plainFrame(91)}));
    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile({plainFrame(90), plainFrame(91)}));
}

TEST_F(KissImport, PreparesThePanesAndTheWorkingFolderForThePass) {
    FakePanes panes;
    fillAsAfterAnEarlierPass(panes, work.session);
    writeFile(work / "pass1.kss", kissFrame(plainFrame(100)));
    std::filesystem::current_path(work / "Thumbs");

    openKissFile(work.session, panes, "../pass1.kss");

    EXPECT_TRUE(panes.pictures.empty());
    for (const auto& list : panes.lists)
        EXPECT_TRUE(list.empty());
    EXPECT_EQ(panes.description, "");
    EXPECT_EQ(panes.fileField, (work / "Thumbs/../pass1.kss").string());
    EXPECT_EQ(panes.report, expectedReport({hexTokens(plainFrame(100))}));
    EXPECT_TRUE(work.session.memo4.entries().empty());
    EXPECT_TRUE(work.session.memo5.empty());
    EXPECT_GE(panes.normalLayouts, 1);
    EXPECT_GE(panes.repaints, 1);
    EXPECT_EQ(std::filesystem::current_path(), work.path());
    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile({plainFrame(100)}));
}

TEST_F(KissImport, AMissingCaptureStopsBeforeTheReportAndTheHiddenListsChange) {
    expectMissingCaptureStopsBeforeTheReport(openKissFile, work, "nothere.kss");
}

TEST_F(KissImport, AFailingWriteLeavesTheEarlierHexFileAsItWas) {
    writeFile(work / "big.HEX", "earlier\r\n");
    std::vector<std::string> frames(400, plainFrame(300));
    writeFile(work / "big.kss", kissStream(frames));
    FakePanes panes;
    {
        FileSizeLimit limit(100 * 1024);
        try {
            openKissFile(work.session, panes, work / "big.kss");
            FAIL() << "no error";
        } catch (const RunError& e) {
            EXPECT_STREQ(e.what(), "Disk full");
        }
    }
    EXPECT_EQ(readFile(work / "big.HEX"), "earlier\r\n");
    EXPECT_EQ(listFolder(work.path()), (std::vector<std::string>{"Puzzles", "ThumbList.txt",
                                                                 "Thumbs", "big.HEX", "big.kss"}));
    // The capture was read whole: its kept lines and the trailer are listed.
    EXPECT_EQ(panes.report,
              keptLinesReport(std::vector<std::string>(400, hexTokens(plainFrame(300)))));
}
