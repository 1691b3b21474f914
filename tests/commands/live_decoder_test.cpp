#include "commands/live_decoder.h"

#include "core/run_error.h"
#include "import/hex_frame_file.h"
#include "support/kiss_capture.h"
#include "commands/kiss_import.h"
#include "commands/puzzles_decode.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

// 2026-12-09 10:56:02 UTC.
const LiveDecoder::Clock::time_point kNoon = LiveDecoder::Clock::from_time_t(1796813762);
const std::string kDay = "kiss-2026-12-09";

const std::string kThumbId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kPuzzleId = bytesOf({0xC0, 0xDB, 0x01, 0x02}); // escaped in the stream

// A session's frames: what a pass brings, C0 and DB bytes included, with a short frame and
// garbage that no decoder keeps.
std::vector<std::string> passFrames() {
    std::vector<std::string> frames{textFrame(kThumbId, "Earth"), plainFrame(20),
                                    textFrame(kPuzzleId, "Moon")};
    for (int i = 0; i < 3; ++i)
        frames.push_back(iconFrame(bytesOf({1, 2, 3, i}), smallBmp(8, 8)));
    for (const auto& f : imageFrames(ImageKind::Thumbnail, kThumbId, smallJpeg(40, 30, 1)))
        frames.push_back(f);
    for (const auto& f : imageFrames(ImageKind::Puzzle, kPuzzleId, smallJpeg(64, 48, 2)))
        frames.push_back(f);
    return frames;
}

struct Live {
    WorkFolder work;
    FakePanes panes;
    std::vector<std::string> errors;
    LiveDecoder decoder{work.session, panes, [this](const std::string& m) { errors.push_back(m); }};

    void feed(std::string_view bytes, std::size_t chunk,
              LiveDecoder::Clock::time_point at = kNoon) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += chunk)
            decoder.receive(bytes.substr(pos, chunk), at);
    }
};

// What a working folder holds, the day's own files aside.
std::vector<std::string> storeAndImages(const fs::path& work) {
    std::vector<std::string> entries;
    for (const std::string& entry : treeOf(work))
        if (!entry.starts_with(kDay))
            entries.push_back(entry);
    return entries;
}

} // namespace

TEST(LiveDecoder, AnyChunkingKeepsEveryFrameAndDecodesAsOpeningTheCaptureWould) {
    const std::vector<std::string> frames = passFrames();
    std::string sent = "noise before the first delimiter";
    std::string whole;
    for (const auto& f : frames) {
        sent += kissFrame(f);
        whole += kissFrame(f);
    }
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, sent.size()}) {
        SCOPED_TRACE(chunk);
        Live live;
        live.feed(sent, chunk);
        EXPECT_TRUE(live.errors.empty());
        EXPECT_EQ(live.decoder.counts().frames, static_cast<long>(frames.size()));
        EXPECT_EQ(readFile(live.work / (kDay + ".kss")), whole);
        EXPECT_EQ(live.panes.list(ListPane::ListBox2),
                  (std::vector<std::string>{"thumb 0A 1B 2C 3D.jpg", "puzzl C0 DB 01 02.jpg"}));
        EXPECT_EQ(live.panes.description, "Moon");
        EXPECT_TRUE(live.panes.list(ListPane::ListBox3).empty());

        // The same frames from the day's capture, opened as a file, then Puzzles > Decode.
        WorkFolder again;
        FakePanes panes;
        openKissFile(again.session, panes, live.work / (kDay + ".kss"));
        decodePuzzles(again.session, panes);
        EXPECT_EQ(readFile(again / (kDay + ".HEX")), readFile(live.work / (kDay + ".HEX")));
        EXPECT_EQ(storeAndImages(again.path()), storeAndImages(live.work.path()));
        for (const std::string name : {"thumb 0A 1B 2C 3D.jpg", "puzzl C0 DB 01 02.jpg",
                                       "ThumbList.txt", "icon01 02 03 02 .bmp"})
            EXPECT_EQ(readFile(again / name), readFile(live.work / name)) << name;
    }
}

TEST(LiveDecoder, BadCutAndEndlessFramesCostOneFrameEachAndTheNextIsDecoded) {
    Live live;
    // Cut short by the radio: its payload ends before its 200 bytes.
    const std::string shortFrame =
        imageFrame(ImageKind::Thumbnail, kThumbId, 300, 2, std::string(200, 'a')).substr(0, 100);
    live.feed(kissFrame(shortFrame) + kissFrame(textFrame(kThumbId, "next")), 1 << 16);
    ASSERT_EQ(live.errors.size(), 1u);
    EXPECT_EQ(live.errors[0], "'$' is not a valid integer value");
    EXPECT_EQ(live.panes.report.back(), "Text.   ID : 0A 1B 2C 3D  next");

    // A frame broken off by a lost connection is kept nowhere; the next connection starts
    // afresh, and its bytes before the first delimiter are no frame.
    const std::string before = readFile(live.work / (kDay + ".kss"));
    live.feed("\xC0" + kissEscaped(textFrame(kPuzzleId, "cut")), 1 << 16);
    live.decoder.connectionLost();
    EXPECT_EQ(live.decoder.counts().cut, 1);
    live.feed("tail of nothing" + kissFrame(textFrame(kPuzzleId, "whole")), 1 << 16);
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")),
              before + kissFrame(textFrame(kPuzzleId, "whole")));

    // A server that never sends a delimiter: dropped past the longest frame.
    live.feed("\xC0", 1);
    live.feed(std::string(LiveDecoder::kLongestFrame * 3, 'x'), 4096);
    live.feed(kissFrame(textFrame(kPuzzleId, "after")), 1 << 16);
    EXPECT_EQ(live.decoder.counts().overlong, 1);
    EXPECT_EQ(live.panes.report.back(), "Text.   ID : C0 DB 01 02  after");
    EXPECT_EQ(live.decoder.counts().failed, 1);
}

TEST(LiveDecoder, IncompleteThumbnailsAreListedUntilJoinedAndTheStripShowsTheNewestIcons) {
    Live live;
    const auto thumb = imageFrames(ImageKind::Thumbnail, kThumbId, smallJpeg(40, 30, 3));
    ASSERT_GE(thumb.size(), 3u);
    for (std::size_t i = 0; i + 1 < thumb.size(); ++i)
        live.feed(kissFrame(thumb[i]) + kissFrame(thumb[i]), 1 << 16);
    EXPECT_EQ(live.panes.list(ListPane::ListBox3), std::vector<std::string>{"0A 1B 2C 3D"});
    live.feed(kissFrame(thumb.back()), 1 << 16);
    EXPECT_TRUE(live.panes.list(ListPane::ListBox3).empty());
    EXPECT_FALSE(
        fs::exists(live.work / "Thumbs" / ("0A 1B 2C 3D . " + std::to_string(thumb.size()))));
    EXPECT_EQ(live.panes.pictures[PicturePane::Image7], live.work / "thumb 0A 1B 2C 3D.jpg");
    // Received again after joining: joined again, from a folder made anew.
    for (const auto& f : thumb)
        live.feed(kissFrame(f), 1 << 16);
    EXPECT_EQ(live.panes.list(ListPane::ListBox2).size(), 2u);

    for (int i = 0; i < 11; ++i)
        live.feed(kissFrame(iconFrame(bytesOf({9, 9, 9, i}), smallBmp(8, 8))), 1 << 16);
    const PicturePane strip[] = {PicturePane::Image1, PicturePane::Image2, PicturePane::Image3,
                                 PicturePane::Image4, PicturePane::Image5, PicturePane::Image6,
                                 PicturePane::Image9, PicturePane::Image10};
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_EQ(live.panes.pictures[strip[slot]],
                  live.work / ("icon09 09 09 " + byteToHex(static_cast<unsigned char>(slot + 3)) +
                               " .bmp"));
    EXPECT_EQ(live.panes.list(ListPane::ListBox1).size(), 11u);
}

TEST(LiveDecoder, AStoreThatCannotBeWrittenEndsTheSessionWithItsMessage) {
    Live live;
    fs::remove_all(live.work / "Thumbs");
    const std::string frame =
        kissFrame(imageFrame(ImageKind::Thumbnail, kThumbId, 300, 2, std::string(200, 'a')));
    try {
        live.feed(frame, 1 << 16);
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_STREQ(error.what(), "File not found");
        EXPECT_TRUE(error.writeFailure());
    }
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")), frame); // kept before it was decoded
    EXPECT_TRUE(live.errors.empty());
}

TEST(LiveDecoder, EachUtcDayHasItsCaptureAndAPieceLeftByAKillIsCutOff) {
    Live live;
    const std::string frame = kissFrame(textFrame(kThumbId, "Earth"));
    writeFile(live.work / (kDay + ".kss"), frame + "\xC0\x00\x01");
    writeFile(live.work / (kDay + ".HEX"), "00 00 \r\n00 0");
    live.feed(frame, 1 << 16);
    live.feed(frame, 1 << 16, kNoon + std::chrono::hours(14));
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")), frame + "\xC0" + frame);
    EXPECT_EQ(readFile(live.work / (kDay + ".HEX")),
              "00 00 \r\n" + hexTokens(textFrame(kThumbId, "Earth")) + "\r\n");
    EXPECT_EQ(readFile(live.work / "kiss-2026-12-10.kss"), frame);
}
