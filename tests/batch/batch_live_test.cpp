#include "batch/batch_runner.h"
#include "batch/beacon_captures.h"
#include "support/kiss_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zelto::test;

namespace {

const std::string kThumbId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kPuzzleId4 = bytesOf({0xC0, 0xDB, 0x00, 0x7F});

// Waits until the file holds the text; false after twenty seconds.
bool waitForText(const fs::path& file, std::string_view text) {
    for (int i = 0; i < 400; ++i) {
        if (fs::exists(file) && readFile(file).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The day's captures of a working folder, joined in the order of their days.
std::string dayCaptures(const fs::path& work) {
    std::string all;
    for (const std::string& name : listFolder(work))
        if (name.starts_with("kiss-") && name.ends_with(".kss"))
            all += readFile(work / name);
    return all;
}

std::string byteToHexPair(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

// Waits until the condition holds; false after twenty seconds.
bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int exitStatus(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

} // namespace

TEST(BatchLive, FramesAreKeptDecodedAndJoinedAsTheyComeAcrossALostConnection) {
    BatchFolder folder;
    KissServer server;
    std::vector<std::string> frames{textFrame(kThumbId4, "Earth"),
                                    iconFrame(bytesOf({1, 2, 3, 4}), smallBmp(8, 8))};
    for (const auto& f : imageFrames(ImageKind::Thumbnail, kThumbId4, smallJpeg(40, 24, 7)))
        frames.push_back(f);
    for (const auto& f : imageFrames(ImageKind::Puzzle, kPuzzleId4, smallJpeg(48, 32, 8)))
        frames.push_back(f);
    const fs::path out = folder.captures() / "out";
    const fs::path err = folder.captures() / "err";
    const pid_t child = startBatch(
        folder.work(), {"--kiss", "127.0.0.1:" + std::to_string(server.port())}, out, err);
    ASSERT_GT(child, 0);

    // The first connection: two frames a byte at a time, then a frame broken off.
    ASSERT_TRUE(server.accept());
    server.send(kissCapture({frames[0], frames[1]}), 1);
    const std::string broken = kissCapture({frames[2]});
    server.send(broken.substr(0, broken.size() / 2));
    server.drop();
    // The next, a second later: everything else, many frames in each write.
    ASSERT_TRUE(server.accept());
    const std::vector<std::string> rest(frames.begin() + 2, frames.end());
    server.send(kissCapture(rest), 4096);
    const bool joined = waitForText(out, "Image: puzzl C0 DB 00 7F.jpg");
    ::kill(child, SIGTERM);
    EXPECT_EQ(exitStatus(waitForBatch(child)), 0);
    ASSERT_TRUE(joined) << readFile(err);

    EXPECT_EQ(dayCaptures(folder.work()), kissCapture(frames));
    const std::string label =
        "Zeltodecoder-batch: 127.0.0.1:" + std::to_string(server.port()) + ": ";
    const std::string errors = readFile(err);
    for (const std::string& expected : std::vector<std::string>{
             "connecting\n", "connected\n", "a frame cut off by the lost connection was dropped\n",
             "The remote host closed the connection; next try in 1 s\n",
             "stopped: " + std::to_string(frames.size()) +
                 " frames received, 1 cut off, 0 not decoded\n"})
        EXPECT_NE(errors.find(label + expected), std::string::npos) << expected << errors;
    // A report line per frame as it is decoded, and each image as it is joined.
    const std::string report = readFile(out);
    EXPECT_TRUE(
        report.starts_with("Text.   ID : 0A 1B 2C 3D  Earth\nIcon.   ID : 01 02 03 04  Size = "));
    EXPECT_NE(report.find("Frame # = 1\nImage: thumb 0A 1B 2C 3D.jpg\n"), std::string::npos);

    // The same frames from a file give the same images, icons, log and store.
    BatchFolder again;
    writeFile(again.captures() / "day.kss", dayCaptures(folder.work()));
    ASSERT_EQ(again.run({"--puzzles", (again.captures() / "day.kss").string()}).status, 0);
    for (const std::string name : {"thumb 0A 1B 2C 3D.jpg", "puzzl C0 DB 00 7F.jpg",
                                   "icon01 02 03 04 .bmp", "ThumbList.txt"})
        EXPECT_EQ(readFile(again.work() / name), readFile(folder.work() / name)) << name;
    EXPECT_EQ(treeOf(again.work() / "Puzzles"), treeOf(folder.work() / "Puzzles"));
    EXPECT_EQ(treeOf(again.work() / "Thumbs"), treeOf(folder.work() / "Thumbs"));
}

TEST(BatchLive, AStoreThatCannotBeWrittenEndsTheSessionWithStatusOne) {
    BatchFolder folder;
    writeFile(folder.work() / "Thumbs", "a file where the folder should be");
    KissServer server;
    const fs::path out = folder.captures() / "out";
    const fs::path err = folder.captures() / "err";
    const pid_t child = startBatch(
        folder.work(), {"--kiss", "127.0.0.1:" + std::to_string(server.port())}, out, err);
    ASSERT_TRUE(server.accept());
    const std::string frame =
        imageFrame(ImageKind::Thumbnail, kThumbId4, 300, 2, std::string(200, 'a'));
    server.send(kissCapture({frame}));
    EXPECT_EQ(exitStatus(waitForBatch(child)), 1);
    EXPECT_NE(readFile(err).find(": File not found\n"), std::string::npos) << readFile(err);
    EXPECT_EQ(dayCaptures(folder.work()), kissCapture({frame}));
}

TEST(BatchLive, ForwardingNeedsItsSettingsAndADryRunShowsEachRequestInsteadOfSendingIt) {
    BatchFolder folder;
    KissServer server;
    const std::string kiss = "127.0.0.1:" + std::to_string(server.port());
    const std::vector<std::string> station{"--station", "QG9 MCE",     "--latitude",
                                           "45.678",    "--longitude", "-12.345"};
    std::vector<std::string> arguments{"--kiss", kiss, "--sids-dry-run", "--sids",
                                       "http://127.0.0.1:9/api/telemetry/"};
    arguments.insert(arguments.end(), station.begin(), station.end());
    const BatchResult refused = folder.run(arguments);
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(
        refused.err.starts_with("Zeltodecoder-batch: forwarding frames (--sids) needs --norad\n"))
        << refused.err;

    arguments.insert(arguments.end(), {"--norad", "99999"});
    const fs::path out = folder.captures() / "out";
    const fs::path err = folder.captures() / "err";
    const pid_t child = startBatch(folder.work(), arguments, out, err);
    ASSERT_TRUE(server.accept());
    const std::string frame = textFrame(kThumbId4, "Earth");
    server.send(kissCapture({frame, bytesOf({0, 1, 2})}));
    const bool shown = waitForText(err, "SiDS dry run: ");
    ::kill(child, SIGTERM);
    EXPECT_EQ(exitStatus(waitForBatch(child)), 0);
    ASSERT_TRUE(shown);
    std::string hex;
    for (const char c : frame.substr(1))
        hex += byteToHexPair(static_cast<unsigned char>(c));
    EXPECT_NE(
        readFile(err).find(": SiDS dry run: POST http://127.0.0.1:9/api/telemetry/ noradID=99999&"
                           "source=QG9+MCE&timestamp=20"),
        std::string::npos)
        << readFile(err);
    EXPECT_NE(
        readFile(err).find("&frame=" + hex +
                           "&locator=longLat&longitude=12.345W&latitude=45.678N&version=1.3\n"),
        std::string::npos);
    EXPECT_EQ(readFile(err).find("SiDS dry run", readFile(err).find("SiDS dry run") + 1),
              std::string::npos); // the short frame is not forwarded
    EXPECT_EQ(readFile(folder.work() / "sids-queue.txt"), "");
}

TEST(BatchLive, AClosedStandardOutputIsToldOnceAndTheSessionGoesOn) {
    BatchFolder folder;
    KissServer server;
    const fs::path err = folder.captures() / "err";
    const pid_t child = startBatch(
        folder.work(), {"--kiss", "127.0.0.1:" + std::to_string(server.port())}, err, err, [] {
            // Standard output a pipe whose reader has gone, SIGPIPE as a shell leaves it.
            int ends[2];
            if (::pipe(ends) != 0 || ::dup2(ends[1], 1) < 0)
                return false;
            ::close(ends[0]);
            ::close(ends[1]);
            ::signal(SIGPIPE, SIG_DFL);
            return true;
        });
    ASSERT_TRUE(server.accept());
    const std::vector<std::string> frames{textFrame(kThumbId4, "Earth"),
                                          textFrame(kThumbId4, "Moon")};
    server.send(kissCapture({frames[0]}));
    ASSERT_TRUE(eventually([&] { return dayCaptures(folder.work()) == kissCapture({frames[0]}); }));
    server.send(kissCapture({frames[1]}));
    const bool kept = eventually([&] { return dayCaptures(folder.work()) == kissCapture(frames); });
    ::kill(child, SIGTERM);
    EXPECT_EQ(exitStatus(waitForBatch(child)), 0);
    EXPECT_TRUE(kept);
    const std::string errors = readFile(err);
    const std::string gone = "Zeltodecoder-batch: standard output is gone (its reader closed it); "
                             "the run goes on without it\n";
    ASSERT_NE(errors.find(gone), std::string::npos) << errors;
    EXPECT_EQ(errors.find(gone, errors.find(gone) + 1), std::string::npos) << errors;
    EXPECT_NE(errors.find(": stopped: 2 frames received, 0 cut off, 0 not decoded\n"),
              std::string::npos)
        << errors;
}
