#pragma once

#include "radio/eye_tracker.h"
#include "radio/frame_dedup.h"
#include "radio/line_decoder.h"
#include "radio/resampling.h"
#include "radio/sequence_detector.h"
#include "radio/signal_stats.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelto {

// A frame as a sound modem's KISS output gives it.
struct DemodulatedFrame {
    std::string kissFrame; // the KISS command byte 0x00, then the frame without its FCS
    double atSeconds = 0;  // where the frame ends in the input
    double qualityDb = 0;  // eye opening over the frame: the mean distance of its symbols from
                           // the threshold against their spread, in dB
};

// How the receiver works, for the benchmark to try other settings; the defaults are the
// program's.
struct DemodulatorTuning {
    double filterCutoff = 0.5; // of the baud rate
    double filterSymbols = 6;  // the low-pass filter's span
    double eyeAttack = 0.05;   // per symbol: the EyeTracker's gains
    double eyeMean = 0.01;
    double eyeDrift = 0.002;
    double clockGain = 0.02;       // of the timing error at each zero crossing
    bool sequenceDetection = true; // false: a plain slicer at each threshold, for comparison
    std::vector<double> phases{-0.2, -0.1, 0, 0.1, 0.2};     // sampling offsets, symbols
    std::vector<double> thresholds{-0.2, -0.1, 0, 0.1, 0.2}; // of the amplitude, about the centre
};

// The receiver of the 4800 Bd GMSK beacon in a discriminator's audio (a 9600 data port, a
// SatNOGS recording): resampled to 10 samples a symbol, low-pass filtered, its DC and level
// tracked in the eye, its symbol clock recovered at the zero crossings, sampled at
// several phases around that clock and detected as a sequence about several thresholds, each
// detector decoding with and without the G3RUH scrambler. A frame is handed on only when its
// FCS checks, and once however many detectors found it.
class BeaconDemodulator {
  public:
    using FrameHandler = std::function<void(const DemodulatedFrame&)>;
    static constexpr double kBaud = 4800;
    static constexpr double kWorkingRate = 48000;

    // Throws RunError for a sample rate outside 8000 to 768000 Hz.
    explicit BeaconDemodulator(double sampleRate, const DemodulatorTuning& tuning = {});
    ~BeaconDemodulator();
    BeaconDemodulator(const BeaconDemodulator&) = delete;
    BeaconDemodulator& operator=(const BeaconDemodulator&) = delete;

    // Mono samples, full scale +-1.0. onFrame is called for each new frame whose FCS checks.
    void feed(const float* samples, std::size_t count, const FrameHandler& onFrame);
    // Signed 16-bit samples, as a sound card or a raw s16le pipe gives them.
    void feed(const std::int16_t* samples, std::size_t count, const FrameHandler& onFrame);
    // The input has ended: what the filters still hold is demodulated.
    void finish(const FrameHandler& onFrame);

    ReceptionStats stats() const { return stats_.stats(); }

  private:
    struct Phase {
        double offsetSamples;      // back from the emission point to this phase's sampling time
        std::vector<float> recent; // the last symbols relative to the centre, for quality
        InterferenceModel interference;
        std::vector<SequenceDetector> detectors; // one about each threshold
        std::vector<LineDecoder> lines;
    };

    void demodulate(const float* samples, std::size_t count);
    void takeSymbol(double samplesPast);
    void judgeEye(float centred);
    void offer(std::string_view frame, std::size_t lineBits, const Phase& phase);
    double qualityOf(const Phase& phase, std::size_t symbols) const;

    DemodulatorTuning tuning_;
    Resampler resampler_;
    std::vector<float> resampled_;
    SignalStats stats_;
    FrameDedup dedup_;
    const FrameHandler* onFrame_ = nullptr;

    std::vector<float> taps_;
    std::vector<float> filterInput_; // twice over, so the newest taps_.size() lie in one run
    std::size_t filterAt_ = 0;
    std::vector<float> history_; // filtered samples, a power of two long
    std::size_t historyAt_ = 0;

    double samplesPerSymbol_;
    double clock_ = 0;     // symbols since the last emission point, nominally in [0, 1)
    double emissionPhase_; // where in the symbol the emission point lies; centre at 0.5
    float previous_ = 0;   // the last filtered sample, centred
    EyeTracker eye_;
    float centre_ = 0, amplitude_ = 1;

    std::vector<Phase> phases_;
    std::size_t symbols_ = 0;
    double eyeSum_ = 0, eyeSquares_ = 0;
    long eyeCount_ = 0;
    long long worked_ = 0; // samples at the working rate
    float last_ = 0;       // the last input sample, to flush with
};

} // namespace zelto
