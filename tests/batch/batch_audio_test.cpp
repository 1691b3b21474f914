// Zeltodecoder-batch --audio -: a station on a pipe of raw audio, as from rtl_fm.
#include "batch/batch_runner.h"
#include "support/beacon_modulator.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelto::test;

TEST(BatchAudio, APipeOfRawAudioIsDecodedToItsEndAndTheRunEndsWell) {
    BatchFolder folder;
    BeaconChannel channel;
    channel.sampleRate = 44100;
    channel.ebN0Db = 25;
    const std::vector<std::string> frames = sampleFrames();
    const std::vector<std::int16_t> audio = beaconAudio(frames, channel);
    std::string raw;
    for (const std::int16_t sample : audio) {
        const auto value = static_cast<std::uint16_t>(sample);
        raw.push_back(static_cast<char>(value & 0xFF)); // little-endian
        raw.push_back(static_cast<char>(value >> 8));
    }
    const fs::path pipe = folder.captures() / "rtl_fm.raw";
    writeFile(pipe, raw);
    const fs::path out = folder.captures() / "out", err = folder.captures() / "err";
    const pid_t child =
        startBatch(folder.work(), {"--audio", "-", "--rate", "44100"}, out, err, [&] {
            const int fd = ::open(pipe.c_str(), O_RDONLY);
            return fd >= 0 && ::dup2(fd, 0) == 0;
        });
    ASSERT_GT(child, 0);
    const int status = waitForBatch(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << readFile(err);
    const std::string report = readFile(out);
    EXPECT_NE(report.find("Thumbn. ID :"), std::string::npos) << report;
    EXPECT_NE(report.find("Image: thumb "), std::string::npos) << report;
    const std::string told = readFile(err);
    EXPECT_NE(told.find("standard input at 44100 Hz: the pipe has ended"), std::string::npos)
        << told;
    EXPECT_NE(told.find("stopped: " + std::to_string(frames.size()) + " frames received"),
              std::string::npos)
        << told;
}
