// A beacon's audio as a receiver's discriminator gives it, for the radio tests and benchmark.
#include "support/beacon_modulator.h"

#include "import/kiss_frames.h"
#include "radio/crc16_x25.h"

#include <liquid/liquid.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace zelto::test {

namespace {

constexpr double kBaud = 4800;
constexpr double kPeakDeviationHz = 1200; // h 0.5
constexpr double kBt = 0.5;
constexpr double kIfHalfWidthHz = 6000;
constexpr int kPulseSpan = 4;         // symbols
constexpr int kPulseResolution = 256; // points per symbol
constexpr double kPi = 3.14159265358979323846;

void appendByte(std::vector<unsigned char>& bits, unsigned byte, int& ones, bool stuffed) {
    for (int i = 0; i < 8; ++i) {
        const unsigned bit = (byte >> i) & 1;
        bits.push_back(static_cast<unsigned char>(bit));
        if (!stuffed)
            continue;
        ones = bit ? ones + 1 : 0;
        if (ones == 5) {
            bits.push_back(0);
            ones = 0;
        }
    }
}

void appendFlags(std::vector<unsigned char>& bits, int count) {
    int ones = 0;
    for (int i = 0; i < count; ++i)
        appendByte(bits, 0x7E, ones, false);
}

double q(double x) {
    return 0.5 * std::erfc(x / std::sqrt(2.0));
}

std::uint64_t splitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

} // namespace

std::vector<unsigned char> hdlcBits(const std::vector<std::string>& frames, int preambleFlags,
                                    int tailFlags) {
    std::vector<unsigned char> bits;
    appendFlags(bits, preambleFlags);
    for (const std::string& frame : frames) {
        std::string withFcs = frame;
        const std::uint16_t fcs =
            crc16X25(reinterpret_cast<const unsigned char*>(frame.data()), frame.size());
        withFcs.push_back(static_cast<char>(fcs & 0xFF));
        withFcs.push_back(static_cast<char>(fcs >> 8));
        int ones = 0;
        for (const char c : withFcs)
            appendByte(bits, static_cast<unsigned char>(c), ones, true);
        appendFlags(bits, 1);
    }
    appendFlags(bits, tailFlags);
    return bits;
}

void scramble(std::vector<unsigned char>& bits) {
    std::uint32_t history = 0;
    for (unsigned char& bit : bits) {
        bit = static_cast<unsigned char>((bit ^ (history >> 11) ^ (history >> 16)) & 1);
        history = (history << 1) | bit;
    }
}

std::vector<unsigned char> nrziLevels(const std::vector<unsigned char>& bits) {
    std::vector<unsigned char> levels;
    levels.reserve(bits.size());
    unsigned char level = 0;
    for (const unsigned char bit : bits) {
        if (!bit)
            level ^= 1;
        levels.push_back(level);
    }
    return levels;
}

BeaconModulator::BeaconModulator(const BeaconChannel& channel) : channel_(channel) {
    // The frequency pulse: a rectangle of one symbol through the Gaussian filter.
    const double alpha = 2 * kPi * kBt / std::sqrt(std::log(2.0));
    for (int i = 0; i <= kPulseSpan * kPulseResolution; ++i) {
        const double u = static_cast<double>(i) / kPulseResolution - kPulseSpan / 2.0;
        pulse_.push_back(q(alpha * (u - 0.5)) - q(alpha * (u + 0.5)));
    }
    const double rate = channel.sampleRate;
    const unsigned taps = static_cast<unsigned>(std::lround(rate / 48000 * 20)) * 2 + 1;
    std::vector<float> design(taps);
    liquid_firdes_kaiser(taps, static_cast<float>(kIfHalfWidthHz / rate), 60, 0, design.data());
    double sum = 0;
    for (const float t : design)
        sum += t;
    for (const float t : design)
        ifTaps_.push_back(t / sum);
    ifRe_.assign(2 * taps, 0);
    ifIm_.assign(2 * taps, 0);
    // A signal of power 1: Eb is its power times the samples of one bit.
    const double ebN0 = std::pow(10, channel.ebN0Db / 10);
    noiseSigma_ = std::sqrt(rate / kBaud / ebN0 / 2);
    scale_ = std::pow(10, channel.levelDbfs / 20) / kPeakDeviationHz * (channel.inverted ? -1 : 1);
    std::uint64_t seed = channel.seed;
    for (std::uint64_t& word : random_)
        word = splitMix(seed);
}

double BeaconModulator::gaussian() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spareGaussian_;
    }
    auto uniform = [this] {
        // xoshiro256**
        const std::uint64_t result = rotl(random_[1] * 5, 7) * 9;
        const std::uint64_t t = random_[1] << 17;
        random_[2] ^= random_[0];
        random_[3] ^= random_[1];
        random_[1] ^= random_[2];
        random_[0] ^= random_[3];
        random_[2] ^= t;
        random_[3] = rotl(random_[3], 45);
        return (static_cast<double>(result >> 11) + 0.5) * 0x1.0p-53;
    };
    const double radius = std::sqrt(-2 * std::log(uniform()));
    const double angle = 2 * kPi * uniform();
    spareGaussian_ = radius * std::sin(angle);
    hasSpare_ = true;
    return radius * std::cos(angle);
}

void BeaconModulator::sendAudio(double frequencyHz, bool carrier,
                                std::vector<std::int16_t>& audio) {
    const double rate = channel_.sampleRate;
    phase_ = std::remainder(phase_ + 2 * kPi * frequencyHz / rate, 2 * kPi);
    offsetPhase_ = std::remainder(offsetPhase_ + 2 * kPi * channel_.offsetHz / rate, 2 * kPi);
    double re = 0, im = 0;
    if (carrier) {
        re = std::cos(phase_ + offsetPhase_);
        im = std::sin(phase_ + offsetPhase_);
    }
    re += noiseSigma_ * gaussian();
    im += noiseSigma_ * gaussian();

    const std::size_t taps = ifTaps_.size();
    ifRe_[ifAt_] = ifRe_[ifAt_ + taps] = re;
    ifIm_[ifAt_] = ifIm_[ifAt_ + taps] = im;
    ifAt_ = (ifAt_ + 1) % taps;
    double yRe = 0, yIm = 0;
    for (std::size_t i = 0; i < taps; ++i) {
        yRe += ifTaps_[i] * ifRe_[ifAt_ + i];
        yIm += ifTaps_[i] * ifIm_[ifAt_ + i];
    }

    const double turn = std::atan2(yIm * lastRe_ - yRe * lastIm_, yRe * lastRe_ + yIm * lastIm_);
    lastRe_ = yRe;
    lastIm_ = yIm;
    const double level = turn * rate / (2 * kPi) * scale_;
    const double clipped = std::clamp(level, -1.0, 32767.0 / 32768);
    audio.push_back(static_cast<std::int16_t>(std::lround(clipped * 32768)));
}

void BeaconModulator::burst(const std::vector<std::string>& frames,
                            std::vector<std::int16_t>& audio) {
    std::vector<unsigned char> bits = hdlcBits(frames, channel_.preambleFlags, channel_.tailFlags);
    if (channel_.scrambled)
        scramble(bits);
    const std::vector<unsigned char> levels = nrziLevels(bits);
    const double samplesPerSymbol = channel_.sampleRate / (kBaud * (1 + channel_.clockPpm * 1e-6));
    const long symbols = static_cast<long>(levels.size());
    const long samples = static_cast<long>((symbols + 1) * samplesPerSymbol);
    for (long n = 0; n < samples; ++n) {
        const double s = n / samplesPerSymbol; // symbol k spans [k, k + 1)
        double deviation = 0;
        const long first = std::max(0L, static_cast<long>(std::floor(s - 0.5)) - 1);
        const long last = std::min(symbols - 1, static_cast<long>(std::floor(s - 0.5)) + 2);
        for (long k = first; k <= last; ++k) {
            const double u = s - (k + 0.5) + kPulseSpan / 2.0;
            if (u <= 0 || u >= kPulseSpan)
                continue;
            const double at = u * kPulseResolution;
            const std::size_t i = static_cast<std::size_t>(at);
            const double p = pulse_[i] + (pulse_[i + 1] - pulse_[i]) * (at - i);
            deviation += levels[static_cast<std::size_t>(k)] ? p : -p;
        }
        sendAudio(deviation * kPeakDeviationHz, true, audio);
    }
}

void BeaconModulator::carrierOff(double seconds, std::vector<std::int16_t>& audio) {
    const long samples = std::lround(seconds * channel_.sampleRate);
    for (long n = 0; n < samples; ++n)
        sendAudio(0, false, audio);
}

std::vector<std::int16_t> beaconAudio(const std::vector<std::string>& frames,
                                      const BeaconChannel& channel, double gapSeconds) {
    BeaconModulator modulator(channel);
    std::vector<std::int16_t> audio;
    for (const std::string& frame : frames) {
        modulator.carrierOff(gapSeconds, audio);
        modulator.burst({frame}, audio);
    }
    modulator.carrierOff(gapSeconds, audio);
    return audio;
}

std::vector<std::string> sampleFrames() {
    std::ifstream in(ZELTO_SAMPLES_DIR "/pass1.kss", std::ios::binary);
    const std::string capture{std::istreambuf_iterator<char>(in), {}};
    if (capture.empty())
        throw std::runtime_error("no samples/pass1.kss");
    std::vector<std::string> frames;
    KissFrameSplitter splitter;
    splitter.feed(capture, [&](std::string_view raw) {
        std::string frame;
        appendWithoutEscapes(frame, raw);
        frames.push_back(frame.substr(1));
    });
    return frames;
}

std::vector<std::string> randomFrames(std::size_t count, std::size_t shortest, std::size_t longest,
                                      std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<std::string> frames;
    for (std::size_t i = 0; i < count; ++i) {
        std::string frame(shortest + random() % (longest - shortest + 1), '\0');
        for (char& c : frame)
            c = static_cast<char>(random() & 0xFF);
        frames.push_back(frame);
    }
    return frames;
}

void writeAudioFile(const std::filesystem::path& file,
                    const std::vector<std::vector<std::int16_t>>& channels, int sampleRate,
                    int format, double vorbisQuality) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = static_cast<int>(channels.size());
    info.format = format;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out)
        throw std::runtime_error(file.string() + ": " + sf_strerror(nullptr));
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS)
        sf_command(out, SFC_SET_VBR_ENCODING_QUALITY, &vorbisQuality, sizeof vorbisQuality);
    std::size_t frames = SIZE_MAX;
    for (const auto& channel : channels)
        frames = std::min(frames, channel.size());
    std::vector<std::int16_t> interleaved;
    constexpr std::size_t kBlock = 4096;
    for (std::size_t at = 0; at < frames; at += kBlock) {
        const std::size_t n = std::min(kBlock, frames - at);
        interleaved.clear();
        for (std::size_t i = 0; i < n; ++i)
            for (const auto& channel : channels)
                interleaved.push_back(channel[at + i]);
        sf_writef_short(out, interleaved.data(), static_cast<sf_count_t>(n));
    }
    if (sf_close(out) != 0)
        throw std::runtime_error(file.string() + ": not written");
}

} // namespace zelto::test
