#pragma once

#include <array>
#include <cstddef>

namespace zelto {

// What the input was like. Level, clipping and silence are those of the last second, for a
// live meter; the rest covers the whole input so far.
struct ReceptionStats {
    double levelDbfs = -120;                      // RMS, a full-scale sine being 0 dBFS
    bool clipping = false;                        // samples at full scale
    bool silent = true;                           // below -60 dBFS: no audio reaches the input
    double seconds = 0;                           // of input
    double peakDbfs = -120;                       // the highest sample of the whole input
    long clippedSamples = 0;                      // of the whole input
    double signalShare = 0;                       // 0..1: the share of time the eye was open
    long frames = 0;                              // handed on
    double bestQualityDb = 0, worstQualityDb = 0; // eye opening of the frames handed on
};

// Keeps ReceptionStats up to date as the input comes.
class SignalStats {
  public:
    explicit SignalStats(double sampleRate);

    // Input samples, full scale +-1.
    void addInput(const float* samples, std::size_t count);
    // A stretch of symbols judged by its eye: open or noise.
    void addEyeSpan(bool open);
    void addFrame(double qualityDb);

    ReceptionStats stats() const;

  private:
    struct Block {
        double sumSquares = 0;
        long samples = 0;
        long clipped = 0;
    };
    static constexpr std::size_t kBlocks = 10; // of 0.1 s: the last second

    long blockLength_;
    std::array<Block, kBlocks> blocks_{};
    std::size_t blocksDone_ = 0;
    Block current_;
    long long samples_ = 0;
    double sampleRate_;
    float peak_ = 0;
    long clipped_ = 0;
    long eyeSpans_ = 0, openSpans_ = 0;
    long frames_ = 0;
    double best_ = 0, worst_ = 0;
};

} // namespace zelto
