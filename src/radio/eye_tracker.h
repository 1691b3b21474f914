#pragma once

namespace zelto {

// The DC and level of the eye from the samples at the symbol centres: the mean of the upper
// and of the lower level, each taken from the samples on its side of the centre. A sample
// beyond a level pulls it out quickly; a level that the samples stay clear of drifts slowly
// towards them, and quickly once a long run of samples has kept to one side of the centre,
// as when a carrier far off frequency comes up out of the noise. Unlike envelope peaks, the
// means are not pushed outwards by noise, and unlike a plain average they stand where they
// should under unbalanced data, as the flags of a stream without the scrambler are.
class EyeTracker {
  public:
    struct Gains {
        double attack = 0.05; // per symbol, towards a sample beyond its level
        double mean = 0.01;   // per symbol, towards a sample on its side
        double drift = 0.002; // per symbol, towards a sample on the other side
    };
    explicit EyeTracker(const Gains& gains);

    void update(float sample);
    float centre() const { return (upper_ + lower_) / 2; }
    float amplitude() const { return (upper_ - lower_) / 2; }

  private:
    // Symbols in a row on one side of the centre, past which the other level catches up.
    static constexpr int kLongRun = 16;

    float attack_, mean_, drift_;
    float upper_ = 0, lower_ = 0;
    int run_ = 0; // > 0 above the centre, < 0 below
};

} // namespace zelto
