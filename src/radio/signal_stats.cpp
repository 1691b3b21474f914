// Level, clipping, silence, signal share and frame quality of what the demodulator was fed.
#include "radio/signal_stats.h"

#include <algorithm>
#include <cmath>

namespace zelto {

namespace {
// The 16-bit full scale; a decoder of lossy audio may go a little past it.
constexpr float kClipLevel = 32767.0f / 32768;
constexpr double kSilentDbfs = -60;
constexpr double kFloorDbfs = -120;

double dbfsOfMeanSquare(double meanSquare) {
    return meanSquare > 0 ? std::max(kFloorDbfs, 10 * std::log10(2 * meanSquare)) : kFloorDbfs;
}
} // namespace

SignalStats::SignalStats(double sampleRate)
    : blockLength_(std::max(1L, std::lround(sampleRate / 10))), sampleRate_(sampleRate) {}

void SignalStats::addInput(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float x = samples[i];
        const float magnitude = std::abs(x);
        current_.sumSquares += static_cast<double>(x) * x;
        peak_ = std::max(peak_, magnitude);
        if (magnitude >= kClipLevel)
            ++current_.clipped;
        if (++current_.samples == blockLength_) {
            clipped_ += current_.clipped;
            blocks_[blocksDone_++ % kBlocks] = current_;
            current_ = {};
        }
    }
    samples_ += static_cast<long long>(count);
}

void SignalStats::addEyeSpan(bool open) {
    ++eyeSpans_;
    if (open)
        ++openSpans_;
}

void SignalStats::addFrame(double qualityDb) {
    best_ = frames_ ? std::max(best_, qualityDb) : qualityDb;
    worst_ = frames_ ? std::min(worst_, qualityDb) : qualityDb;
    ++frames_;
}

ReceptionStats SignalStats::stats() const {
    ReceptionStats s;
    Block last = current_;
    for (std::size_t i = 0; i < std::min(blocksDone_, kBlocks); ++i) {
        last.sumSquares += blocks_[i].sumSquares;
        last.samples += blocks_[i].samples;
        last.clipped += blocks_[i].clipped;
    }
    if (last.samples > 0)
        s.levelDbfs = dbfsOfMeanSquare(last.sumSquares / static_cast<double>(last.samples));
    s.clipping = last.clipped > 0;
    s.silent = s.levelDbfs < kSilentDbfs;
    s.seconds = static_cast<double>(samples_) / sampleRate_;
    s.peakDbfs = peak_ > 0 ? std::max(kFloorDbfs, 20 * std::log10(double{peak_})) : kFloorDbfs;
    s.clippedSamples = clipped_ + current_.clipped;
    s.signalShare = eyeSpans_ ? static_cast<double>(openSpans_) / eyeSpans_ : 0;
    s.frames = frames_;
    s.bestQualityDb = best_;
    s.worstQualityDb = worst_;
    return s;
}

} // namespace zelto
