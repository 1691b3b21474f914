#include "commands/live_session.h"

#include "commands/day_capture_sink.h"
#include "commands/decoder_sink.h"
#include "commands/kiss_import.h"
#include "commands/open_hex.h"
#include "commands/puzzles_decode.h"
#include "core/run_error.h"
#include "import/hex_frame_file.h"
#include "support/kiss_capture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

using Clock = std::chrono::system_clock;

// 2026-12-09 10:56:02 UTC.
const Clock::time_point kNoon = Clock::from_time_t(1796813762);
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

// A source of the tests' own: what they push is what the session receives.
class PushedSource : public FrameSource {
  public:
    std::string kind() const override { return "Test"; }
    std::string name() const override { return "pushed"; }
    void start(Listener& listener) override {
        listener_ = &listener;
        phase_ = SourceState::Phase::Connected;
        listener.changed();
    }
    void stop() override { phase_ = SourceState::Phase::Stopped; }
    void hold(bool) override {}
    SourceState state() const override { return {phase_, {}, 0, {}}; }

    void push(std::string_view bytes, Clock::time_point at) { listener_->bytes(bytes, at); }
    void breakOff() { listener_->broken(); }

  private:
    Listener* listener_ = nullptr;
    SourceState::Phase phase_ = SourceState::Phase::Stopped;
};

struct Live : LiveSession::Observer {
    WorkFolder work;
    FakePanes panes;
    std::vector<std::string> errors;
    int ended = 0;
    LiveSession session{work.session, *this};
    PushedSource* source = nullptr;

    Live() {
        session.addSink(std::make_unique<DayCaptureSink>(work.session));
        session.addSink(std::make_unique<DecoderSink>(work.session, panes));
        auto pushed = std::make_unique<PushedSource>();
        source = pushed.get();
        session.start(std::move(pushed));
    }
    void changed(LiveSession::Change what) override { ended += what == LiveSession::Change::Ended; }
    void told(const std::string& text) override { errors.push_back(text); }

    void feed(std::string_view bytes, std::size_t chunk, Clock::time_point at = kNoon) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += chunk)
            source->push(bytes.substr(pos, chunk), at);
    }
    LiveCounts counts() const { return session.state().counts; }
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

TEST(LiveSession, AnyChunkingKeepsEveryFrameAndDecodesAsOpeningTheCaptureWould) {
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
        EXPECT_EQ(live.counts().frames, static_cast<long>(frames.size()));
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

TEST(LiveSession, BadCutAndEndlessFramesCostOneFrameEachAndTheNextIsDecoded) {
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
    live.source->breakOff();
    EXPECT_EQ(live.counts().cut, 1);
    live.feed("tail of nothing" + kissFrame(textFrame(kPuzzleId, "whole")), 1 << 16);
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")),
              before + kissFrame(textFrame(kPuzzleId, "whole")));

    // A server that never sends a delimiter: dropped past the longest frame.
    live.feed("\xC0", 1);
    live.feed(std::string(LiveSession::kLongestFrame * 3, 'x'), 4096);
    live.feed(kissFrame(textFrame(kPuzzleId, "after")), 1 << 16);
    EXPECT_EQ(live.counts().overlong, 1);
    EXPECT_EQ(live.panes.report.back(), "Text.   ID : C0 DB 01 02  after");
    EXPECT_EQ(live.counts().failed, 1);
}

TEST(LiveSession, IncompleteThumbnailsAreListedUntilJoinedAndTheStripShowsTheNewestIcons) {
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

TEST(LiveSession, AStoreThatCannotBeWrittenEndsTheSessionWithItsMessage) {
    Live live;
    fs::remove_all(live.work / "Thumbs");
    const std::string frame =
        kissFrame(imageFrame(ImageKind::Thumbnail, kThumbId, 300, 2, std::string(200, 'a')));
    live.feed(frame, 1 << 16);
    EXPECT_EQ(live.ended, 1);
    EXPECT_EQ(live.session.state().stoppedFor, "File not found");
    EXPECT_FALSE(live.session.active());
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")), frame); // kept before it was decoded
    // Nothing more is taken.
    live.feed(kissFrame(textFrame(kThumbId, "later")), 1 << 16);
    EXPECT_EQ(readFile(live.work / (kDay + ".kss")), frame);
    EXPECT_TRUE(live.errors.empty());
}

TEST(LiveSession, EachUtcDayHasItsCaptureAndAPieceLeftByAKillIsCutOff) {
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

TEST(LiveSession, WhileHeldTheCaptureGrowsAndTheDecodingWaitsForTheStoreReadAfresh) {
    Live live;
    const auto thumb = imageFrames(ImageKind::Thumbnail, kThumbId, smallJpeg(40, 30, 4));
    ASSERT_GE(thumb.size(), 3u);
    for (std::size_t i = 0; i + 2 < thumb.size(); ++i)
        live.feed(kissFrame(thumb[i]), 1 << 16);
    const std::size_t reported = live.panes.report.size();

    live.session.hold(true);
    // The command that holds the session writes one of the missing frames itself.
    const fs::path hex = live.work / "one.HEX";
    writeFile(hex, hexFile({thumb[thumb.size() - 2]}));
    FakePanes commandPanes;
    openHexFile(live.work.session, commandPanes, hex);
    live.work.session.writes.finish();
    live.feed(kissFrame(textFrame(kThumbId, "Earth")) + kissFrame(thumb.back()), 1 << 16);
    EXPECT_EQ(live.counts().frames, static_cast<long>(thumb.size()));
    EXPECT_NE(readFile(live.work / (kDay + ".kss")).find(kissFrame(thumb.back())),
              std::string::npos);
    EXPECT_EQ(live.panes.report.size(), reported);
    EXPECT_TRUE(live.panes.list(ListPane::ListBox2).empty());

    live.session.hold(false);
    EXPECT_EQ(live.panes.report.size(), reported + 2);
    EXPECT_EQ(live.panes.list(ListPane::ListBox2),
              std::vector<std::string>{"thumb 0A 1B 2C 3D.jpg"});
    EXPECT_EQ(live.panes.description, "Earth");
    EXPECT_TRUE(live.errors.empty());
}
