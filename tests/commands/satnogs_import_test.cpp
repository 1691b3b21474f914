#include "import/satnogs_frames.h"
#include "commands/satnogs_import.h"

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

TEST(SatnogsFrames, TheDownloadAndTheApiReadAlikeAndWhatIsNoFrameIsCounted) {
    const NetworkFrames csv = readSatnogsCsv("2026-12-09 10:56:02|00A1ff\r\n"
                                             "\n"
                                             "2026-12-08 23:59:60|0102\n"
                                             "no bar here\n"
                                             "2026-12-09 10:56:03|0A1\n"
                                             "2026-12-09 10:56:03|0G\n"
                                             "2026-13-09 10:56:03|00\n"
                                             "2026-12-09 10:56:04|");
    ASSERT_EQ(csv.frames.size(), 2u);
    EXPECT_EQ(csv.frames[0].bytes, bytesOf({0x00, 0xA1, 0xFF}));
    EXPECT_EQ(csv.frames[0].receivedMs, 1796813762000);
    EXPECT_EQ(csv.frames[1].bytes, bytesOf({0x01, 0x02}));
    EXPECT_EQ(csv.passedOver, 5);

    const std::string entries = R"([{"frame": "00A1FF", "timestamp": "2026-12-09T10:56:02Z"},
        {"frame": "0102", "timestamp": "2026-12-09T10:56:02.800+00:00", "station_id": 7},
        {"timestamp": "2026-12-09T10:56:02Z"}, {"frame": "ABC", "timestamp": "2026-12-09T10:56:02Z"},
        {"frame": "0102", "timestamp": "yesterday"}, 42])";
    for (const std::string& text : {entries, R"({"count": 6, "results": )" + entries + "}"}) {
        const NetworkFrames json = readSatnogsJson(text, "frames.json");
        ASSERT_EQ(json.frames.size(), 2u);
        EXPECT_EQ(json.frames[0].receivedMs, 1796813762000);
        EXPECT_EQ(json.frames[1].receivedMs, 1796813762800);
        EXPECT_EQ(json.frames[1].bytes, bytesOf({0x01, 0x02}));
        EXPECT_EQ(json.passedOver, 4);
    }
    // Oldest first, and frames of one time in the order of the file.
    EXPECT_EQ(networkFramesHexFile({{30, bytesOf({3})}, {10, bytesOf({1})}, {30, bytesOf({4})}}),
              "00 01 \r\n00 03 \r\n00 04 \r\n");
}

TEST(SatnogsImport, TextThatIsNotSuchJsonIsRefusedNamingTheFileAndNothingIsWritten) {
    WorkFolder work;
    FakePanes panes;
    panes.report = {"earlier"};
    for (const std::string text : {"<html>Server Error</html>", R"({"detail": "Not found."})"}) {
        writeFile(work / "frames.json", text);
        EXPECT_TRUE(messageOf([&] {
                        openSatnogsFile(work.session, panes, work / "frames.json");
                    }).starts_with("'frames.json' is not a SatNOGS frames file"));
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

    // The download oldest first; the API newest first, as it pages.
    std::string csv = "2026-12-09 10:55:59|not a frame\n";
    std::string json = "[";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::string time = "2026-12-09 10:56:" + std::to_string(10 + i);
        csv += time + "|" + dbHex(frames[i], i % 2 == 1) + "\n";
        const std::size_t j = frames.size() - 1 - i;
        json += std::string(i ? "," : "") + R"({"frame": ")" + dbHex(frames[j]) +
                R"(", "timestamp": "2026-12-09T10:56:)" + std::to_string(10 + j) + R"(Z"})";
    }
    json += R"(, {"frame": null}])";

    const fs::path inputs = freshTempPath("zelto-satnogs-");
    fs::create_directories(inputs);
    std::vector<std::vector<std::string>> trees;
    std::vector<std::string> thumbnails;
    std::vector<std::string> lastLines;
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
        lastLines.push_back(panes.report.back());
    }
    fs::remove_all(inputs);
    EXPECT_EQ(trees[0], trees[2]);
    EXPECT_EQ(trees[1], trees[2]);
    EXPECT_TRUE(thumbnails[0] == thumbnails[2] && thumbnails[1] == thumbnails[2]);
    EXPECT_EQ(lastLines[0], " >>>  1 line that is not a frame was passed over");
    EXPECT_EQ(lastLines[1], " >>>  1 entry that is not a frame was passed over");
}
