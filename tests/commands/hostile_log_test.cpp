// ThumbList.txt gone, in the way or filled by hand with anything: every reader and the
// decoding pass stop with a run-time message or read what is there, and the lines of the log
// are never lost or changed.
#include "core/run_error.h"
#include "store/description_log.h"
#include "commands/open_hex.h"
#include "commands/puzzles_decode.h"
#include "commands/work_folder.h"
#include "support/test_support.h"
#include "commands/browsing.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIdText = "0A 1B 2C 3D";

class HostileLog : public ::testing::Test {
  protected:
    std::string decode(const std::vector<std::string>& frames) {
        writeFile(nest / "in.HEX", hexFile(frames));
        return messageOf([&] { openHexFile(nest.session, panes, nest / "in.HEX"); });
    }
    fs::path log() const { return nest / "ThumbList.txt"; }

    NestedWorkFolder nest;
    FakePanes panes;
    const std::string jpeg = smallJpeg(24, 16, 5);
    const std::vector<std::string> thumbnail = imageFrames(ImageKind::Thumbnail, kId4, jpeg);
    const std::string folder = kIdText + " . " + std::to_string(thumbnail.size());
};

// A hand-edited log: lines of every length from 0 to 3000 characters, bytes that are no
// UTF-8, NUL bytes, a lone CR inside a line, and a last line without its line end. Two of
// its lines carry IDs: 0A 1B 2C 3D (with a description of bytes 80 to FF and a NUL), and
// 11 22 33 44 on the unended last line.
std::string handEditedLog() {
    std::string text;
    for (std::size_t length = 0; length <= 3000; length += length < 40 ? 1 : 149) {
        std::string line(length, 'z');
        for (std::size_t i = 0; i < length; ++i)
            line[i] = static_cast<char>(i % 7 == 3 ? '\0' : 0x80 + (i * 13) % 0x80);
        if (length > 20)
            line[length / 2] = '\r';
        text += line + (length % 3 == 0 ? "\n" : "\r\n");
    }
    text += std::string(" 0A 1B 2C 3D = \x80\xFF\xC3(", 19) + std::string(1, '\0') + "end\r\n";
    text += "\xFE\xFF\r\n\r\n";
    text += " 11 22 33 44 = unended";
    return text;
}

const std::string kHandDescription = std::string("\x80\xFF\xC3(", 4) + std::string(1, '\0') + "end";

} // namespace

TEST_F(HostileLog, ARemovedLogStopsTheFirstTextFrameAndTheAssemblyWithFramesKept) {
    fs::remove(log());
    EXPECT_EQ(decode(thumbnail), "File not found");
    // The thumbnail is joined and shown before its description is looked for; its frames
    // stay in the store and are joined again once a pass meets one of them.
    EXPECT_EQ(readFile(nest / ("thumb " + kIdText + ".jpg")), jpeg);
    EXPECT_EQ(listFolder(nest / "Thumbs" / folder).size(), thumbnail.size());
    EXPECT_FALSE(fs::exists(log()));

    prepareWorkFolder(nest.session, nest.work());
    EXPECT_EQ(readFile(log()), "");
    EXPECT_EQ(decode({thumbnail.back(), textFrame(kId4, "now described")}), "");
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb " + kIdText + ".jpg"});
    EXPECT_EQ(panes.description, "now described");
    EXPECT_TRUE(listFolder(nest / "Thumbs").empty());
}

TEST_F(HostileLog, ALogThatIsAFolderIsAccessDeniedForEveryReaderAndStaysAsItIs) {
    fs::remove(log());
    fs::create_directory(log());
    writeFile(log() / "inside", "kept");
    const std::vector<std::string> outside = nest.outside();

    EXPECT_EQ(decode({textFrame(kId4, "x"), thumbnail.front()}), "File access denied");
    EXPECT_EQ(panes.report.size(), 1u);
    EXPECT_TRUE(listFolder(nest / "Thumbs").empty()) << "the pass stopped at the text frame";

    EXPECT_EQ(decode(thumbnail), "File access denied");
    EXPECT_EQ(readFile(nest / ("thumb " + kIdText + ".jpg")), jpeg);
    EXPECT_EQ(listFolder(nest / "Thumbs" / folder).size(), thumbnail.size());

    fs::create_directories(nest / "Puzzles" / "0A 1B 2C 3D . 1");
    writeFile(nest / "Puzzles" / "0A 1B 2C 3D . 1" / "01 00.bin", jpeg);
    EXPECT_EQ(messageOf([&] { decodePuzzles(nest.session, panes); }), "File access denied");
    EXPECT_EQ(messageOf([&] { showAllThumbnails(nest.session, panes); }), "File access denied");
    EXPECT_EQ(messageOf([&] { showImage(nest.session, panes, "thumb " + kIdText + ".jpg"); }),
              "File access denied");

    // Start-up finds something under the name and leaves it.
    EXPECT_NO_THROW(prepareWorkFolder(nest.session, nest.work()));
    EXPECT_EQ(readFile(log() / "inside"), "kept");
    EXPECT_EQ(nest.outside(), outside);
}

TEST_F(HostileLog, AHandEditedLogIsReadWholeAndOnlyGrowsByWholeLines) {
    const std::string text = handEditedLog();
    writeFile(log(), text);
    const std::string otherId4 = bytesOf({0x11, 0x22, 0x33, 0x44});
    const std::string newId4 = bytesOf({0x55, 0x66, 0x77, 0x08});
    EXPECT_EQ(
        decode({textFrame(kId4, "later"), textFrame(otherId4, "later"), textFrame(newId4, "new")}),
        "");
    // Known IDs are not written again; the new one goes on a line of its own.
    EXPECT_EQ(readFile(log()), text + "\r\n 55 66 77 08 = new\r\n");
    EXPECT_EQ(decode({textFrame(newId4, "again")}), "");
    EXPECT_EQ(readFile(log()), text + "\r\n 55 66 77 08 = new\r\n");

    const LogLookup found = lookupDescription(log(), kIdText);
    EXPECT_TRUE(found.hasLines);
    ASSERT_TRUE(found.description);
    EXPECT_EQ(*found.description, kHandDescription);
    EXPECT_EQ(*lookupDescription(log(), "11 22 33 44").description, "unended");
    EXPECT_EQ(*DescriptionIndex(log()).find(kIdText).description, kHandDescription);

    // The thumbnail of the ID is described from its line with all its bytes.
    EXPECT_EQ(decode(thumbnail), "");
    EXPECT_EQ(panes.description, kHandDescription);
    panes.description.clear();
    EXPECT_EQ(messageOf([&] { showAllThumbnails(nest.session, panes); }), "");
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb " + kIdText + ".jpg"});
    EXPECT_EQ(panes.description, kHandDescription);
    EXPECT_TRUE(panes.messages.empty());
}

TEST_F(HostileLog, AnEmptyLineAndShortLinesNeverTakeAnId) {
    writeFile(log(), "\r\n \r\n 0A\r\n 0A 1B 2C 3\r\n");
    EXPECT_EQ(decode({textFrame(kId4, "full")}), "");
    EXPECT_EQ(readFile(log()), "\r\n \r\n 0A\r\n 0A 1B 2C 3\r\n 0A 1B 2C 3D = full\r\n");
}

TEST_F(HostileLog, ALogLinkedToAFullDeviceIsDiskFullWithoutReadingForever) {
    fs::remove(log());
    fs::create_symlink("/dev/full", log());
    EXPECT_EQ(decode({thumbnail.front(), textFrame(kId4, "x"), thumbnail.back()}), "Disk full");
    EXPECT_EQ(panes.report.size(), 2u);
    EXPECT_EQ(listFolder(nest / "Thumbs" / folder).size(), 1u);
    EXPECT_EQ(fs::read_symlink(log()), "/dev/full");
    // Readers find a log without lines.
    EXPECT_FALSE(lookupDescription(log(), kIdText).hasLines);
    EXPECT_EQ(messageOf([&] { showAllThumbnails(nest.session, panes); }), "");
    EXPECT_EQ(panes.messages, std::vector<std::string>{" No thumbnails found in ThumbList.txt !"});
}

TEST_F(HostileLog, ALogLinkedToTheNullDeviceTakesLinesAndKeepsNone) {
    fs::remove(log());
    fs::create_symlink("/dev/null", log());
    EXPECT_EQ(decode({textFrame(kId4, "x")}), "");
    EXPECT_EQ(decode(thumbnail), "");
    EXPECT_EQ(panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb " + kIdText + ".jpg"});
}
