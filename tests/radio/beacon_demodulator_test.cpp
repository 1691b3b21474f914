// The whole receiver on modulated beacon audio.
#include "radio/beacon_demodulator.h"

#include "support/beacon_modulator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zelto;
using namespace zelto::test;

namespace {

std::vector<std::string> asKiss(const std::vector<std::string>& frames) {
    std::vector<std::string> out;
    for (const std::string& frame : frames)
        out.push_back(std::string(1, '\0') + frame);
    return out;
}

// Empty when the frames are the same, else where they part, without pages of binary.
std::string differences(const std::vector<std::string>& got,
                        const std::vector<std::string>& expected) {
    if (got == expected)
        return "";
    std::size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i])
        ++i;
    return std::to_string(got.size()) + " frames instead of " + std::to_string(expected.size()) +
           ", the same up to frame " + std::to_string(i);
}

std::vector<std::string> demodulate(const std::vector<std::int16_t>& audio, double rate,
                                    ReceptionStats* stats = nullptr,
                                    std::vector<DemodulatedFrame>* details = nullptr) {
    std::vector<std::string> frames;
    BeaconDemodulator demodulator(rate);
    auto onFrame = [&](const DemodulatedFrame& frame) {
        frames.push_back(frame.kissFrame);
        if (details)
            details->push_back(frame);
    };
    // Blocks of a sound card's size, the last one short.
    for (std::size_t at = 0; at < audio.size(); at += 1000)
        demodulator.feed(audio.data() + at, std::min<std::size_t>(1000, audio.size() - at),
                         onFrame);
    demodulator.finish(onFrame);
    if (stats)
        *stats = demodulator.stats();
    return frames;
}

// Ten minutes of noise; two under the sanitizers, which check the same code on less.
#ifdef __SANITIZE_ADDRESS__
constexpr double kNoiseSeconds = 120;
#else
constexpr double kNoiseSeconds = 600;
#endif

BeaconChannel clean() {
    BeaconChannel channel;
    channel.ebN0Db = 25;
    channel.levelDbfs = -12;
    channel.clockPpm = 40;
    return channel;
}

} // namespace

TEST(BeaconDemodulator, GivesTheSampleFramesByteForByteWhateverTheReceiver) {
    const std::vector<std::string> frames = sampleFrames();
    struct Case {
        const char* name;
        void (*change)(BeaconChannel&);
    };
    const Case cases[] = {
        {"as it comes", [](BeaconChannel&) {}},
        {"inverted", [](BeaconChannel& c) { c.inverted = true; }},
        {"1.5 kHz above", [](BeaconChannel& c) { c.offsetHz = 1500; }},
        {"1.5 kHz below", [](BeaconChannel& c) { c.offsetHz = -1500; }},
        {"-40 dBFS", [](BeaconChannel& c) { c.levelDbfs = -40; }},
        {"clipped", [](BeaconChannel& c) { c.levelDbfs = 4; }},
        {"22050 Hz", [](BeaconChannel& c) { c.sampleRate = 22050; }},
        {"44100 Hz", [](BeaconChannel& c) { c.sampleRate = 44100; }},
        {"96000 Hz", [](BeaconChannel& c) { c.sampleRate = 96000; }},
        {"not scrambled", [](BeaconChannel& c) { c.scrambled = false; }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        BeaconChannel channel = clean();
        test.change(channel);
        EXPECT_EQ(differences(demodulate(beaconAudio(frames, channel, 0.1), channel.sampleRate),
                              asKiss(frames)),
                  "");
    }
}

TEST(BeaconDemodulator, GivesEachTransmissionOnceAndARepeatAgain) {
    const std::vector<std::string> frames = randomFrames(2, 67, 67, 5);
    BeaconModulator modulator(clean());
    std::vector<std::int16_t> audio;
    modulator.carrierOff(0.2, audio);
    // Back to back in one burst, then both again two seconds later.
    modulator.burst({frames[0], frames[0], frames[1]}, audio);
    modulator.carrierOff(2, audio);
    modulator.burst(frames, audio);
    modulator.carrierOff(0.2, audio);
    std::vector<DemodulatedFrame> details;
    EXPECT_EQ(differences(demodulate(audio, 48000, nullptr, &details),
                          asKiss({frames[0], frames[0], frames[1], frames[0], frames[1]})),
              "");
    ASSERT_EQ(details.size(), 5u);
    EXPECT_LT(details[0].atSeconds, details[1].atSeconds);
    EXPECT_NEAR(details[3].atSeconds - details[0].atSeconds, 2.4, 0.3);
}

TEST(BeaconDemodulator, TellsLevelSilenceClippingShareAndQuality) {
    std::vector<std::int16_t> tone(48000), square(48000), silence(48000);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<std::int16_t>(std::lround(16384 * std::sin(0.1 * i)));
        square[i] = i % 20 < 10 ? 32767 : -32768;
    }
    ReceptionStats stats;
    demodulate(tone, 48000, &stats);
    EXPECT_NEAR(stats.levelDbfs, -6.0, 0.1);
    EXPECT_FALSE(stats.silent);
    EXPECT_FALSE(stats.clipping);
    EXPECT_NEAR(stats.seconds, 1.0, 1e-9);
    demodulate(square, 48000, &stats);
    EXPECT_TRUE(stats.clipping);
    EXPECT_EQ(stats.clippedSamples, 48000);
    demodulate(silence, 48000, &stats);
    EXPECT_TRUE(stats.silent);

    // One burst of 10 s in 20 s of recording, heard clean and then near the noise.
    const std::vector<std::string> frames = randomFrames(20, 280, 320, 6);
    double quality[2];
    for (const double ebN0 : {25.0, 15.0}) {
        BeaconChannel channel = clean();
        channel.ebN0Db = ebN0;
        BeaconModulator modulator(channel);
        std::vector<std::int16_t> audio;
        modulator.carrierOff(5, audio);
        modulator.burst(frames, audio);
        modulator.carrierOff(5, audio);
        std::vector<DemodulatedFrame> details;
        demodulate(audio, 48000, &stats, &details);
        EXPECT_NEAR(stats.signalShare, 0.5, 0.1) << ebN0;
        ASSERT_FALSE(details.empty());
        EXPECT_EQ(stats.frames, static_cast<long>(details.size()));
        EXPECT_LE(stats.worstQualityDb, stats.bestQualityDb);
        quality[ebN0 == 25] = stats.worstQualityDb;
    }
    EXPECT_GT(quality[1], quality[0] + 3);
}

TEST(BeaconDemodulator, HandsOnNoFrameOutOfMinutesOfNoise) {
    BeaconChannel channel;
    channel.levelDbfs = -20;
    BeaconModulator modulator(channel);
    std::vector<std::int16_t> audio;
    modulator.carrierOff(kNoiseSeconds, audio);
    std::vector<DemodulatedFrame> details;
    ReceptionStats stats;
    demodulate(audio, 48000, &stats, &details);
    for (const DemodulatedFrame& frame : details) {
        EXPECT_LT(frame.kissFrame.size(), 67u);
        EXPECT_GE(frame.kissFrame.size(), 16u);
    }
    EXPECT_LT(stats.signalShare, 0.02);
}
