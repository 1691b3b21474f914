// Recordings read from WAV, FLAC and Ogg Vorbis files, and the failures named.
#include "radio/demodulate_recording.h"

#include "core/run_error.h"
#include "support/beacon_modulator.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <fstream>
#include <unistd.h>

using namespace zelto;
using namespace zelto::test;
namespace fs = std::filesystem;

namespace {

class RecordingFolder : public ::testing::Test {
  protected:
    RecordingFolder()
        : folder_(fs::temp_directory_path() / ("zelto-radio-" + std::to_string(getpid()))) {
        fs::create_directories(folder_);
    }
    ~RecordingFolder() override { fs::remove_all(folder_); }

    std::vector<std::string> framesOf(const fs::path& file) {
        std::vector<std::string> frames;
        long long lastDone = 0, total = 0;
        demodulateRecording(
            file, [&](const DemodulatedFrame& frame) { frames.push_back(frame.kissFrame); },
            [&](long long done, long long length) {
                EXPECT_GT(done, lastDone);
                lastDone = done;
                total = length;
            });
        EXPECT_EQ(lastDone, total);
        return frames;
    }

    fs::path folder_;
};

std::vector<std::string> asKiss(const std::vector<std::string>& frames) {
    std::vector<std::string> out;
    for (const std::string& frame : frames)
        out.push_back(std::string(1, '\0') + frame);
    return out;
}

BeaconChannel at20Db(std::uint64_t seed, double rate = 48000) {
    BeaconChannel channel;
    channel.sampleRate = rate;
    channel.ebN0Db = 20;
    channel.levelDbfs = -9;
    channel.offsetHz = 700;
    channel.seed = seed;
    return channel;
}

} // namespace

TEST_F(RecordingFolder, WavFlacAndOggVorbisGiveTheSameFrames) {
    const std::vector<std::string> frames = randomFrames(8, 200, 330, 11);
    const std::vector<std::int16_t> audio = beaconAudio(frames, at20Db(1));
    const struct {
        const char* name;
        int format;
    } formats[] = {{"pass.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                   {"pass.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                   {"pass.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};
    for (const auto& format : formats) {
        SCOPED_TRACE(format.name);
        writeAudioFile(folder_ / format.name, {audio}, 48000, format.format, 0.6);
        EXPECT_TRUE(framesOf(folder_ / format.name) == asKiss(frames));
    }
}

TEST_F(RecordingFolder, AStereoRecordingIsReadFromItsFirstChannel) {
    const std::vector<std::string> left = randomFrames(4, 200, 330, 12);
    const std::vector<std::string> right = randomFrames(4, 200, 330, 13);
    writeAudioFile(folder_ / "stereo.wav",
                   {beaconAudio(left, at20Db(2, 44100)), beaconAudio(right, at20Db(3, 44100))},
                   44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_TRUE(framesOf(folder_ / "stereo.wav") == asKiss(left));
}

TEST_F(RecordingFolder, AFileThatIsNoAudioOrTooNarrowIsNamedWithWhatIsWrong) {
    std::ofstream(folder_ / "pass.ogg") << "not audio at all\n";
    auto messageOf = [&](const fs::path& file) {
        try {
            framesOf(file);
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf(folder_ / "pass.ogg"), "pass.ogg: Format not recognised.");
    EXPECT_EQ(messageOf(folder_ / "gone.wav"),
              "gone.wav: System error : No such file or directory.");
    writeAudioFile(folder_ / "phone.wav", {std::vector<std::int16_t>(100)}, 4000,
                   SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(
        messageOf(folder_ / "phone.wav"),
        "phone.wav: A sample rate of 4000 Hz cannot carry the beacon: 8000 to 768000 Hz can.");
}
