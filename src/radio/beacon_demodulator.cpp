// The beacon's receiver: discriminator audio in, frames whose FCS checks out.
#include "radio/beacon_demodulator.h"

#include "core/run_error.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace zelto {

namespace {

constexpr std::size_t kHistory = 64;  // filtered samples kept for interpolation
constexpr std::size_t kRecent = 4096; // symbols kept for a frame's quality
constexpr long kEyeSpan = 480;        // symbols judged together: 0.1 s
constexpr double kOpenEyeRatio = 2.0; // mean against spread of |sample|; noise gives 1.3
constexpr double kBestQualityDb = 40;
constexpr std::size_t kConvertBlock = 4096;

float dot(const float* a, const float* b, std::size_t n) {
    float sum = 0;
#pragma omp simd reduction(+ : sum)
    for (std::size_t i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

void designLowPass(std::vector<float>& taps, unsigned length, double cutoff) {
    taps.resize(length);
    liquid_firdes_kaiser(length, static_cast<float>(cutoff), 40, 0, taps.data());
    float sum = 0;
    for (const float t : taps)
        sum += t;
    for (float& t : taps)
        t /= sum;
}

// The tuning as given, a single phase and threshold standing in for none; the rate must carry
// the beacon's audio, 4.2 kHz wide with the Doppler shift.
DemodulatorTuning checked(DemodulatorTuning tuning, double sampleRate) {
    if (!(sampleRate >= 8000 && sampleRate <= 768000))
        throw RunError("A sample rate of " + std::to_string(std::lround(sampleRate)) +
                       " Hz cannot carry the beacon: 8000 to 768000 Hz can.");
    if (tuning.phases.empty())
        tuning.phases = {0};
    if (tuning.thresholds.empty())
        tuning.thresholds = {0};
    return tuning;
}

} // namespace

BeaconDemodulator::BeaconDemodulator(double sampleRate, const DemodulatorTuning& tuning)
    : tuning_(checked(tuning, sampleRate)), resampler_(sampleRate, kWorkingRate),
      stats_(sampleRate), samplesPerSymbol_(kWorkingRate / kBaud),
      eye_({tuning.eyeAttack, tuning.eyeMean, tuning.eyeDrift}) {
    const unsigned length =
        static_cast<unsigned>(std::lround(tuning.filterSymbols * samplesPerSymbol_ / 2)) * 2 + 1;
    designLowPass(taps_, length, tuning.filterCutoff * kBaud / kWorkingRate);
    filterInput_.assign(2 * length, 0);
    history_.assign(kHistory, 0);

    const double latest = *std::max_element(tuning_.phases.begin(), tuning_.phases.end());
    emissionPhase_ = 0.5 + latest;
    for (const double offset : tuning_.phases) {
        Phase phase;
        phase.offsetSamples = (emissionPhase_ - 0.5 - offset) * samplesPerSymbol_;
        phase.recent.assign(kRecent, 0);
        phase.detectors.resize(tuning_.thresholds.size());
        phase.lines.resize(tuning_.thresholds.size());
        phases_.push_back(std::move(phase));
    }
}

BeaconDemodulator::~BeaconDemodulator() = default;

void BeaconDemodulator::feed(const float* samples, std::size_t count, const FrameHandler& onFrame) {
    onFrame_ = &onFrame;
    float block[kConvertBlock];
    for (std::size_t at = 0; at < count; at += kConvertBlock) {
        const std::size_t n = std::min(kConvertBlock, count - at);
        // A damaged file's NaN would stay in the filters for good.
        for (std::size_t i = 0; i < n; ++i)
            block[i] = std::isfinite(samples[at + i]) ? samples[at + i] : 0.0f;
        stats_.addInput(block, n);
        last_ = block[n - 1];
        resampler_.process(block, n, resampled_);
        demodulate(resampled_.data(), resampled_.size());
    }
    onFrame_ = nullptr;
}

void BeaconDemodulator::feed(const std::int16_t* samples, std::size_t count,
                             const FrameHandler& onFrame) {
    float block[kConvertBlock];
    for (std::size_t at = 0; at < count; at += kConvertBlock) {
        const std::size_t n = std::min(kConvertBlock, count - at);
        for (std::size_t i = 0; i < n; ++i)
            block[i] = static_cast<float>(samples[at + i]) * (1.0f / 32768);
        feed(block, n, onFrame);
    }
}

void BeaconDemodulator::finish(const FrameHandler& onFrame) {
    onFrame_ = &onFrame;
    // The last level held, long enough for a closing flag to pass all the filters.
    std::vector<float> tail(resampler_.flushLength(), last_);
    resampler_.process(tail.data(), tail.size(), resampled_);
    const auto symbols = static_cast<std::size_t>(SequenceDetector::kDelay + 8);
    resampled_.resize(resampled_.size() + taps_.size() + kHistory +
                          static_cast<std::size_t>(symbols * samplesPerSymbol_),
                      last_);
    demodulate(resampled_.data(), resampled_.size());
    onFrame_ = nullptr;
}

void BeaconDemodulator::demodulate(const float* samples, std::size_t count) {
    const std::size_t length = taps_.size();
    const double step = 1 / samplesPerSymbol_;
    for (std::size_t n = 0; n < count; ++n) {
        filterInput_[filterAt_] = filterInput_[filterAt_ + length] = samples[n];
        filterAt_ = filterAt_ + 1 == length ? 0 : filterAt_ + 1;
        const float y = dot(taps_.data(), filterInput_.data() + filterAt_, length);
        history_[historyAt_++ & (kHistory - 1)] = y;
        ++worked_;

        // A zero crossing tells where the symbol boundary lies: pull the clock towards it.
        const float centred = y - centre_;
        if ((centred >= 0) != (previous_ >= 0)) {
            const double fraction = previous_ / (previous_ - centred);
            const double crossing = clock_ + fraction * step + emissionPhase_;
            const double error = crossing - std::floor(crossing + 0.5);
            clock_ -= tuning_.clockGain * error;
        }
        previous_ = centred;
        clock_ += step;
        if (clock_ >= 1) {
            clock_ -= 1;
            takeSymbol(clock_ / step);
        }
    }
}

void BeaconDemodulator::takeSymbol(double samplesPast) {
    const std::size_t newest = historyAt_ - 1;
    auto sampleAt = [&](double age) {
        const auto whole = static_cast<std::size_t>(age);
        const float fraction = static_cast<float>(age - static_cast<double>(whole));
        const float a = history_[(newest - whole) & (kHistory - 1)];
        const float b = history_[(newest - whole - 1) & (kHistory - 1)];
        return a + (b - a) * fraction;
    };

    // The eye is tracked at the centre phase.
    const float middle = sampleAt(samplesPast + (emissionPhase_ - 0.5) * samplesPerSymbol_);
    eye_.update(middle);
    centre_ = eye_.centre();
    amplitude_ = std::max(eye_.amplitude(), 1e-6f);
    judgeEye(middle - centre_);

    const std::size_t slot = symbols_++ & (kRecent - 1);
    for (Phase& phase : phases_) {
        const float centred = sampleAt(samplesPast + phase.offsetSamples) - centre_;
        phase.recent[slot] = centred;
        phase.interference.learn(centred);
        for (std::size_t k = 0; k < phase.detectors.size(); ++k) {
            const float threshold = static_cast<float>(tuning_.thresholds[k]) * amplitude_;
            const unsigned level =
                tuning_.sequenceDetection
                    ? phase.detectors[k].push(centred - threshold, phase.interference)
                    : (centred > threshold ? 1u : 0u);
            phase.lines[k].push(level, [&](std::string_view frame, std::size_t lineBits) {
                offer(frame, lineBits, phase);
            });
        }
    }
}

void BeaconDemodulator::judgeEye(float centred) {
    eyeSum_ += std::abs(centred);
    eyeSquares_ += static_cast<double>(centred) * centred;
    if (++eyeCount_ < kEyeSpan)
        return;
    const double mean = eyeSum_ / eyeCount_;
    const double spread = std::sqrt(std::max(0.0, eyeSquares_ / eyeCount_ - mean * mean));
    stats_.addEyeSpan(mean > kOpenEyeRatio * spread);
    eyeSum_ = eyeSquares_ = 0;
    eyeCount_ = 0;
}

void BeaconDemodulator::offer(std::string_view frame, std::size_t lineBits, const Phase& phase) {
    const double symbolsLate = 1 + (tuning_.sequenceDetection ? SequenceDetector::kDelay : 0);
    const double delay = resampler_.delay() + static_cast<double>(taps_.size() - 1) / 2 +
                         symbolsLate * samplesPerSymbol_;
    const double at = std::max(0.0, (static_cast<double>(worked_) - delay) / kWorkingRate);
    if (!dedup_.firstCopy(frame, at))
        return;
    DemodulatedFrame out;
    out.kissFrame.reserve(frame.size() + 1);
    out.kissFrame.push_back('\0');
    out.kissFrame.append(frame);
    out.atSeconds = at;
    out.qualityDb = qualityOf(phase, lineBits);
    stats_.addFrame(out.qualityDb);
    if (onFrame_ && *onFrame_)
        (*onFrame_)(out);
}

double BeaconDemodulator::qualityOf(const Phase& phase, std::size_t symbols) const {
    // Only symbols inside runs of three alike count: their neighbours leave them no
    // intersymbol interference, so the spread left is the noise.
    const std::size_t n = std::clamp<std::size_t>(symbols, 3, kRecent);
    auto at = [&](std::size_t back) { return phase.recent[(symbols_ - back) & (kRecent - 1)]; };
    double sum = 0, squares = 0;
    long count = 0;
    for (std::size_t i = 2; i < n; ++i) {
        const float before = at(i + 1), v = at(i), after = at(i - 1);
        if ((before > 0) != (v > 0) || (after > 0) != (v > 0))
            continue;
        sum += std::abs(v);
        squares += static_cast<double>(v) * v;
        ++count;
    }
    if (count < 2 || sum <= 0)
        return 0;
    const double mean = sum / static_cast<double>(count);
    const double spread =
        std::sqrt(std::max(0.0, squares / static_cast<double>(count) - mean * mean));
    return spread > 0 ? std::min(kBestQualityDb, 20 * std::log10(mean / spread)) : kBestQualityDb;
}

} // namespace zelto
