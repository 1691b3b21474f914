// File > Open recording: a recording of the beacon's audio decoded as the capture a sound
// modem would have written of it.
#include "commands/open_recording.h"

#include "commands/kiss_import.h"
#include "core/run_error.h"
#include "radio/kiss_capture.h"
#include "support/beacon_modulator.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sndfile.h>

using namespace zelto;
using namespace zelto::test;

namespace {

// The frames of a pass as a sound modem's capture holds them: C0 00 frame C0 each.
std::string modemCapture(const std::vector<std::string>& frames) {
    std::string capture;
    for (const std::string& frame : frames)
        appendKissFrame(capture, std::string(1, '\0') + frame);
    return capture;
}

void writeRecording(const fs::path& file, const std::vector<std::int16_t>& audio) {
    writeAudioFile(file, {audio}, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

} // namespace

TEST(OpenRecording, DecodesAsTheModemsCaptureAndNeverReplacesAnotherCapture) {
    const std::vector<std::string> frames = sampleFrames();
    BeaconChannel channel;
    channel.ebN0Db = 25;
    channel.offsetHz = -900;
    NestedWorkFolder nest;
    const fs::path recording = nest.captures() / "pass1.wav";
    writeRecording(recording, beaconAudio(frames, channel));
    // A capture of that name that holds something else stays as it is.
    writeFile(nest / "pass1.kss", "the modem's own");
    const std::vector<std::string> outside = nest.outside();

    FakePanes panes;
    openRecording(nest.session, panes, recording);
    const std::string expected = modemCapture(frames);
    EXPECT_EQ(readFile(nest / "pass1.kss"), "the modem's own");
    ASSERT_EQ(readFile(nest / "pass1-1.kss"), expected);
    ASSERT_FALSE(panes.report.empty());
    EXPECT_TRUE(panes.report.back().starts_with(
        " >>>  pass1.wav: " + std::to_string(frames.size()) + " frames found"))
        << panes.report.back();
    EXPECT_TRUE(panes.report.back().ends_with(" dB, kept as pass1-1.kss")) << panes.report.back();

    // Everything else is what opening the modem's capture does.
    NestedWorkFolder again;
    writeFile(again.captures() / "pass1-1.kss", expected);
    FakePanes byModem;
    openKissFile(again.session, byModem, again.captures() / "pass1-1.kss");
    std::vector<std::string> report = panes.report;
    report.pop_back();
    EXPECT_EQ(report, byModem.report);
    EXPECT_EQ(panes.list(ListPane::ListBox2), byModem.list(ListPane::ListBox2));
    fs::remove(nest / "pass1.kss");
    fs::remove(nest / "pass1-1.kss");
    EXPECT_EQ(treeOf(nest.work()), treeOf(again.work()));
    EXPECT_EQ(nest.outside(), outside); // nothing written beside the working folder
}

TEST(OpenRecording, NoiseOrAFileThatIsNoAudioWritesNothing) {
    NestedWorkFolder nest;
    const std::vector<std::string> before = treeOf(nest.work());
    BeaconChannel channel;
    BeaconModulator modulator(channel);
    std::vector<std::int16_t> noise;
    modulator.carrierOff(20, noise);
    writeRecording(nest.captures() / "quiet.wav", noise);
    FakePanes panes;
    openRecording(nest.session, panes, nest.captures() / "quiet.wav");
    EXPECT_EQ(panes.report.at(0), " >>>  No frame found in quiet.wav");
    EXPECT_EQ(treeOf(nest.work()), before);

    writeFile(nest.captures() / "notes.ogg", "not a recording at all");
    try {
        openRecording(nest.session, panes, nest.captures() / "notes.ogg");
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("notes.ogg: ")) << error.what();
    }
    EXPECT_EQ(treeOf(nest.work()), before);
}
