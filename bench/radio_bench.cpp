// The beacon demodulator measured: frames recovered against Eb/N0, speed, and memory.
#include "radio/beacon_demodulator.h"
#include "radio/demodulate_recording.h"

#include "support/beacon_modulator.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

using namespace zelto;
using namespace zelto::test;

namespace {

constexpr double kRate = 48000;

// A pass's worth of channel: the satellite off the receiver's frequency and its bit clock off
// the sound card's, as they are in real passes.
BeaconChannel passChannel(double ebN0Db, std::uint64_t seed) {
    BeaconChannel channel;
    channel.ebN0Db = ebN0Db;
    channel.offsetHz = 500;
    channel.clockPpm = 30;
    channel.levelDbfs = -12;
    channel.seed = seed;
    return channel;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long peakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::atol(line.c_str() + 6);
    return 0;
}

// name=value settings of DemodulatorTuning, and points=... of Eb/N0; lists as a,b,c.
std::vector<double> points{8, 9, 10, 11, 11.5, 12, 13, 14, 15, 16}; // Eb/N0, dB

DemodulatorTuning tuningOf(int argc, char** argv, int first) {
    DemodulatorTuning tuning;
    auto list = [](const std::string& text) {
        std::vector<double> values;
        std::size_t at = 0;
        while (at <= text.size()) {
            const std::size_t comma = std::min(text.find(',', at), text.size());
            values.push_back(std::stod(text.substr(at, comma - at)));
            at = comma + 1;
        }
        return values;
    };
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq), value = arg.substr(eq + 1);
        if (name == "cutoff")
            tuning.filterCutoff = std::stod(value);
        else if (name == "span")
            tuning.filterSymbols = std::stod(value);
        else if (name == "attack")
            tuning.eyeAttack = std::stod(value);
        else if (name == "mean")
            tuning.eyeMean = std::stod(value);
        else if (name == "drift")
            tuning.eyeDrift = std::stod(value);
        else if (name == "gain")
            tuning.clockGain = std::stod(value);
        else if (name == "phases")
            tuning.phases = list(value);
        else if (name == "thresholds")
            tuning.thresholds = list(value);
        else if (name == "points")
            points = list(value);
        else
            throw std::runtime_error("unknown setting " + name);
    }
    return tuning;
}

struct Recovered {
    std::size_t frames = 0;
    int falseFrames = 0; // FCS checked but not sent
};

Recovered recover(const std::vector<std::int16_t>& audio, const std::set<std::string>& sent,
                  const DemodulatorTuning& tuning) {
    BeaconDemodulator demodulator(kRate, tuning);
    std::set<std::string> found;
    Recovered result;
    auto onFrame = [&](const DemodulatedFrame& frame) {
        if (sent.count(frame.kissFrame))
            found.insert(frame.kissFrame);
        else
            ++result.falseFrames;
    };
    demodulator.feed(audio.data(), audio.size(), onFrame);
    demodulator.finish(onFrame);
    result.frames = found.size();
    return result;
}

// Coherent MSK: bit errors at Q(sqrt(2 Eb/N0)); a frame comes through when none of its line
// bits (flags, stuffing, FCS and the descrambler's 17 bits of memory) is wrong, however many
// more the NRZI and the descrambler make of each.
double coherentShare(const std::vector<std::string>& frames, double ebN0Db) {
    const double ebN0 = std::pow(10, ebN0Db / 10);
    const double p = 0.5 * std::erfc(std::sqrt(2 * ebN0) / std::sqrt(2.0));
    double sum = 0;
    for (const std::string& frame : frames)
        sum += std::pow(1 - p, static_cast<double>(hdlcBits({frame}, 1, 0).size() + 17));
    return sum / static_cast<double>(frames.size());
}

// Frames recovered out of `count` distinct ones of 200 to 330 bytes, each in its own burst, by
// the demodulator as tuned and by a plain hard slicer at one sampling phase.
int recovery(int argc, char** argv) {
    const int count = argc > 2 ? std::atoi(argv[2]) : 400;
    const DemodulatorTuning tuning = tuningOf(argc, argv, 3);
    DemodulatorTuning single = tuning;
    single.phases = {0};
    single.thresholds = {0};
    single.sequenceDetection = false;
    single.filterCutoff = 0.55; // the best for a slicer
    std::printf("| Eb/N0 (dB) | frames | recovered | one phase, one plain slicer | coherent MSK "
                "(theory) | false frames |\n|---|---|---|---|---|---|\n");
    for (const double ebN0 : points) {
        const auto seed = static_cast<std::uint64_t>(ebN0 * 10);
        const std::vector<std::string> frames = randomFrames(count, 200, 330, seed);
        const std::vector<std::int16_t> audio = beaconAudio(frames, passChannel(ebN0, seed), 0.1);
        std::set<std::string> sent;
        for (const std::string& frame : frames)
            sent.insert(std::string(1, '\0') + frame);
        const Recovered all = recover(audio, sent, tuning);
        const Recovered one = recover(audio, sent, single);
        std::printf("| %.1f | %d | %zu (%.1f %%) | %zu (%.1f %%) | %.1f %% | %d |\n", ebN0, count,
                    all.frames, 100.0 * static_cast<double>(all.frames) / count, one.frames,
                    100.0 * static_cast<double>(one.frames) / count,
                    100 * coherentShare(frames, ebN0), all.falseFrames);
        std::fflush(stdout);
    }
    // Where coherent MSK would recover half the frames.
    const std::vector<std::string> frames = randomFrames(count, 200, 330, 1);
    double low = 0, high = 20;
    while (high - low > 0.01)
        (coherentShare(frames, (low + high) / 2) < 0.5 ? low : high) = (low + high) / 2;
    std::printf("\ncoherent50=%.2f\n", (low + high) / 2);
    return 0;
}

// A recording of `minutes`: bursts of beacon frames at 14 dB with carrier off between them.
int writeRecording(char** argv) {
    const std::string file = argv[2];
    const double minutes = std::atof(argv[3]);
    SF_INFO info{};
    info.samplerate = static_cast<int>(kRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out) {
        std::cerr << file << ": " << sf_strerror(nullptr) << '\n';
        return 1;
    }
    BeaconModulator modulator(passChannel(14, 7));
    const std::vector<std::string> frames = randomFrames(50, 200, 330, 7);
    std::vector<std::int16_t> audio;
    const auto total = static_cast<long long>(minutes * 60 * kRate);
    long long written = 0;
    for (std::size_t i = 0; written < total; ++i) {
        audio.clear();
        modulator.carrierOff(0.3, audio);
        modulator.burst({frames[i % frames.size()]}, audio);
        const auto n = std::min<long long>(static_cast<long long>(audio.size()), total - written);
        sf_writef_short(out, audio.data(), n);
        written += n;
    }
    sf_close(out);
    return 0;
}

// The time demodulateRecording takes, and its frames.
int speed(int, char** argv) {
    long frames = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    const ReceptionStats stats =
        demodulateRecording(argv[2], [&](const DemodulatedFrame&) { ++frames; });
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seconds=%.1f wall=%.3f cpu=%.3f frames=%ld peak_kb=%ld\n", stats.seconds, wall,
                cpuSeconds() - cpuStart, frames, peakKilobytes());
    return 0;
}

// A live stream's CPU share: 20 ms blocks of 16-bit samples, as a sound card gives them.
int live(int argc, char** argv) {
    const double rate = argc > 2 ? std::atof(argv[2]) : kRate;
    const double minutes = argc > 3 ? std::atof(argv[3]) : 2;
    BeaconChannel channel = passChannel(14, 9);
    channel.sampleRate = rate;
    const std::vector<std::int16_t> audio = beaconAudio(
        randomFrames(static_cast<std::size_t>(minutes * 60 / 0.8), 200, 330, 9), channel, 0.3);
    BeaconDemodulator demodulator(rate);
    const auto block = static_cast<std::size_t>(rate / 50);
    long frames = 0;
    auto onFrame = [&](const DemodulatedFrame&) { ++frames; };
    const double cpuStart = cpuSeconds();
    for (std::size_t at = 0; at < audio.size(); at += block)
        demodulator.feed(audio.data() + at, std::min(block, audio.size() - at), onFrame);
    const double cpu = cpuSeconds() - cpuStart;
    const double seconds = static_cast<double>(audio.size()) / rate;
    std::printf("rate=%.0f seconds=%.1f cpu=%.3f share=%.2f frames=%ld\n", rate, seconds, cpu,
                100 * cpu / seconds, frames);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "recovery")
            return recovery(argc, argv);
        if (mode == "write" && argc > 3)
            return writeRecording(argv);
        if (mode == "speed" && argc > 2)
            return speed(argc, argv);
        if (mode == "live")
            return live(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: zelto-radio-bench recovery [FRAMES] [SETTING=VALUE...]\n"
                 "       zelto-radio-bench write FILE MINUTES\n"
                 "       zelto-radio-bench speed FILE\n"
                 "       zelto-radio-bench live [RATE] [MINUTES]\n";
    return 2;
}
