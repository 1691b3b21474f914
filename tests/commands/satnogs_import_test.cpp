#include "commands/satnogs_import.h"
#include "import/satnogs_frames.h"

#include "commands/open_hex.h"
#include "import/hex_frame_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kThumbId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});

// Frames as the DB keeps them: from the beacon's own first byte, without a command byte.
std::string dbHex(std::string_view frame, bool lower = false) {
    std::string digits;
    for (const char c : frame.substr(1)) {
        digits += byteToHex(static_cast<unsigned char>(c));
    }
    if (lower)
        for (char& c : digits)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return digits;
}

} // namespace

// The HEX frame file's lines of what a file reads as, in the order of decoding.
std::vector<std::string> hexLinesOf(const NetworkFrames& frames) {
    std::vector<std::string> lines;
    forEachNetworkFrameHexLine(frames, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(SatnogsFrames, TheDownloadAndTheApiReadAlikeAndWhatIsNoFrameIsCounted) {
    WorkFolder work;
    // Today's four columns and older downloads' two, newest first behind a byte order mark;
    // frames of one second in the reverse of the file's order, frames without a time last.
    writeFile(work / "frames.csv", "\xEF\xBB\xBF"
                                   "2026-12-09 10:56:03|0A0B|1234|DL0XYZ-JO62qm\r\n"
                                   "2026-12-09 10:56:02|00a1ff||DL0XYZ-JO62qm\r\n"
                                   "2026-12-09 10:56:02|0102||QG9MCE\r\n"
                                   "\r\n"
                                   "|0C0D||QG9MCE\n"
                                   "2026-12-08 23:59:60|0E\n"
                                   "|0F\n"
                                   "no bar here\n"
                                   "2026-12-09 10:56:03|0A1||X\n"
                                   "2026-12-09 10:56:03|0G\n"
                                   "2026-13-09 10:56:03|00\n"
                                   "2026-12-09 10:56:04|\n"
                                   "yesterday|0102");
    const std::vector<std::string> decoded{"00 0E \r\n",    "00 01 02 \r\n", "00 00 A1 FF \r\n",
                                           "00 0A 0B \r\n", "00 0C 0D \r\n", "00 0F \r\n"};
    const NetworkFrames csv = readSatnogsCsv(work / "frames.csv");
    EXPECT_EQ(hexLinesOf(csv), decoded);
    EXPECT_EQ(csv.receivedMs(0), 1796774400000);
    EXPECT_EQ(csv.receivedMs(5), std::nullopt);
    EXPECT_EQ(csv.passedOver, 6);
    EXPECT_EQ(csv.untimed(), 2);

    const std::string entries = R"([{"frame": "0A0B", "timestamp": "2026-12-09T10:56:03Z"},
        {"frame": "00a1ff", "timestamp": "2026-12-09T10:56:02.800Z"}, {"frame": "0C0D",
        "timestamp": null}, {"frame": "0102", "timestamp": "2026-12-09T10:56:02.800+00:00",
        "station_id": 7}, {"frame": "0E", "timestamp": "2026-12-09T00:00:00"}, {"frame": "0F"},
        {"timestamp": "2026-12-09T10:56:02Z"}, {"frame": "ABC", "timestamp": "2026-12-09T10:56:02Z"},
        {"frame": "0102", "timestamp": "yesterday"}, 42, [], "0102"])";
    for (const std::string& text :
         {"\xEF\xBB\xBF" + entries, R"({"count": 11, "next": null, "results": )" + entries + "}"}) {
        writeFile(work / "frames.json", text);
        const NetworkFrames json = readSatnogsJson(work / "frames.json");
        EXPECT_EQ(hexLinesOf(json), decoded);
        EXPECT_EQ(json.receivedMs(1), 1796813762800);
        EXPECT_EQ(json.passedOver, 6);
        EXPECT_EQ(json.untimed(), 2);
    }

    // A file that runs oldest first keeps its order for frames of one second.
    writeFile(work / "oldest.csv", "2026-12-09 10:56:02|01\n2026-12-09 10:56:02|02\n"
                                   "2026-12-09 10:56:03|03\n");
    EXPECT_EQ(hexLinesOf(readSatnogsCsv(work / "oldest.csv")),
              (std::vector<std::string>{"00 01 \r\n", "00 02 \r\n", "00 03 \r\n"}));
}

TEST(SatnogsImport, TextThatIsNotSuchJsonIsRefusedNamingTheFileAndNothingIsWritten) {
    WorkFolder work;
    FakePanes panes;
    panes.report = {"earlier"};
    const std::vector<std::pair<std::string, std::string>> refused{
        {"<html>Server Error</html>", ": illegal value at byte 0"},
        {R"({"detail": "Not found."})", ""},
        {R"({"results": null})", ""},
        {R"([{"frame": "00"}, {"frame": tru}])", ": illegal value at byte 29"},
        {R"([{"frame": "00"} {"frame": "01"}])", ": missing value separator at byte 17"},
        {R"({"results": [{"frame": "00"}], "next": ")", ": unterminated string at byte 40"},
        {R"([{"frame": "00"}] [])", ": garbage at the end of the document at byte 18"}};
    for (const auto& [text, problem] : refused) {
        writeFile(work / "frames.json", text);
        EXPECT_EQ(messageOf([&] { openSatnogsFile(work.session, panes, work / "frames.json"); }),
                  "'frames.json' is not a SatNOGS frames file" + problem);
        EXPECT_FALSE(fs::exists(work / "frames.HEX"));
        EXPECT_EQ(panes.report, std::vector<std::string>{"earlier"});
    }
}

TEST(SatnogsImport, TheSameFramesAsCsvJsonOrHexGiveTheSameStoreImagesAndLog) {
    std::vector<std::string> frames{textFrame(kThumbId, "Earth")};
    for (const auto& f : imageFrames(ImageKind::Thumbnail, kThumbId, smallJpeg(40, 24, 5)))
        frames.push_back(f);
    const auto puzzle = imageFrames(ImageKind::Puzzle, kThumbId, smallJpeg(48, 40, 6));
    frames.insert(frames.end(), puzzle.begin(), puzzle.begin() + 2);

    // Both newest first, as the DB gives them, the last frame without a time.
    std::string csv =
        "|" + dbHex(frames.back()) + "||QG9MCE\r\n2026-12-09 10:55:59|not a frame\r\n";
    std::string json = R"([{"frame": ")" + dbHex(frames.back()) + R"(", "timestamp": null})";
    for (std::size_t j = frames.size() - 1; j-- > 0;) {
        const std::string second = std::to_string(10 + j);
        csv += "2026-12-09 10:56:" + second + "|" + dbHex(frames[j], j % 2 == 1) + "|" +
               std::to_string(7000 + j) + "|DL0XYZ-JO62qm\r\n";
        json += R"(, {"frame": ")" + dbHex(frames[j]) + R"(", "timestamp": "2026-12-09T10:56:)" +
                second + R"(.250Z"})";
    }
    json += R"(, {"frame": null}])";

    const fs::path inputs = freshTempPath("zelto-satnogs-");
    fs::create_directories(inputs);
    std::vector<std::vector<std::string>> trees;
    std::vector<std::string> thumbnails;
    std::vector<std::vector<std::string>> lastLines;
    for (const auto& [name, content] : std::vector<std::pair<std::string, std::string>>{
             {"frames.csv", csv}, {"frames.JSON", json}, {"frames.hex", hexFile(frames)}}) {
        WorkFolder work;
        FakePanes panes;
        writeFile(inputs / name, content);
        if (name == "frames.hex")
            openHexFile(work.session, panes, inputs / name);
        else
            openSatnogsFile(work.session, panes, inputs / name);
        EXPECT_EQ(panes.list(ListPane::ListBox2),
                  std::vector<std::string>{"thumb 0A 1B 2C 3D.jpg"});
        fs::remove(work / "frames.HEX");
        trees.push_back(treeOf(work.path()));
        trees.back().push_back(readFile(work / "ThumbList.txt"));
        thumbnails.push_back(readFile(work / "thumb 0A 1B 2C 3D.jpg"));
        lastLines.emplace_back(panes.report.end() - std::min<std::size_t>(2, panes.report.size()),
                               panes.report.end());
    }
    fs::remove_all(inputs);
    EXPECT_EQ(trees[0], trees[2]);
    EXPECT_EQ(trees[1], trees[2]);
    EXPECT_TRUE(thumbnails[0] == thumbnails[2] && thumbnails[1] == thumbnails[2]);
    const std::string untimed = " >>>  1 frame without a time of reception was taken last, in "
                                "file order";
    EXPECT_EQ(lastLines[0], (std::vector<std::string>{
                                " >>>  1 line that is not a frame was passed over", untimed}));
    EXPECT_EQ(lastLines[1], (std::vector<std::string>{
                                " >>>  1 entry that is not a frame was passed over", untimed}));
}
