#pragma once

#include <array>
#include <cstdint>

namespace zelto {

// How much each filtered symbol owes to its neighbours: the sample of a symbol is c0 times
// its own level plus c1 times each neighbour's, the intersymbol interference of the Gaussian
// pulse and the low-pass filter. Learnt from the signal, so that the audio filtering of any
// receiver is allowed for.
class InterferenceModel {
  public:
    // Takes the sample of one symbol relative to the centre.
    void learn(float centred);
    // The sample expected for the levels (before, own, after), each 0 or 1, at index
    // before * 4 + own * 2 + after.
    const std::array<float, 8>& expected() const { return expected_; }

  private:
    float level_ = 1;      // c0
    float neighbours_ = 0; // c1
    float previous_[2] = {0, 0};
    std::array<float, 8> expected_{};
};

// Maximum-likelihood sequence detection (Viterbi, four states) of the filtered symbols under
// an InterferenceModel. Where a slicer errs on a symbol pulled in by both neighbours, this
// weighs the whole sequence, which gains about a decibel at the error rates that matter.
class SequenceDetector {
  public:
    // The decisions come this many symbols late.
    static constexpr int kDelay = 32;

    // Takes the sample of one symbol, relative to the centre; gives the level decided for the
    // symbol kDelay before.
    unsigned push(float centred, const InterferenceModel& model);

  private:
    std::array<float, 4> metrics_{};       // state: (level k, level k+1)
    std::array<std::uint64_t, 4> paths_{}; // each state's decisions, the newest lowest
};

} // namespace zelto
