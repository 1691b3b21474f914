#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelto::test {

// The line bits of frames as a beacon keys them: flags, each frame bit-stuffed with its FCS
// (CRC-16/X.25, low byte first) and a flag after it, then more flags. Frames are the bytes
// that follow the KISS command byte.
std::vector<unsigned char> hdlcBits(const std::vector<std::string>& frames, int preambleFlags,
                                    int tailFlags);
// The G3RUH scrambler, x^17 + x^12 + 1, in place.
void scramble(std::vector<unsigned char>& bits);
// NRZI levels of the bits, 0 or 1: a 0 changes the level.
std::vector<unsigned char> nrziLevels(const std::vector<unsigned char>& bits);

// What stands between the satellite and the audio: the link, the receiver and its audio port.
struct BeaconChannel {
    double sampleRate = 48000;
    double ebN0Db = 60;     // before the receiver's IF filter
    double offsetHz = 0;    // the carrier's offset from the receiver's frequency (Doppler)
    double levelDbfs = -6;  // the peak deviation's level in the audio
    bool inverted = false;  // the receiver's audio polarity
    bool scrambled = true;  // the G3RUH scrambler on
    double clockPpm = 0;    // the satellite's bit clock against the sound card's
    int preambleFlags = 48; // 80 ms
    int tailFlags = 4;
    std::uint64_t seed = 1;
};

// A 4800 Bd GMSK beacon (BT 0.5, h 0.5) in complex baseband, white Gaussian noise, the
// receiver's 12 kHz IF filter, an FM discriminator and a 16-bit audio port that clips at full
// scale. Deterministic for a seed.
class BeaconModulator {
  public:
    explicit BeaconModulator(const BeaconChannel& channel);

    // The carrier keyed for the frames (flags, frames, flags), appended as audio samples.
    void burst(const std::vector<std::string>& frames, std::vector<std::int16_t>& audio);
    // The carrier off: the discriminator's noise alone (silence without noise).
    void carrierOff(double seconds, std::vector<std::int16_t>& audio);

  private:
    void sendAudio(double frequencyHz, bool carrier, std::vector<std::int16_t>& audio);
    double gaussian();

    BeaconChannel channel_;
    std::vector<double> pulse_; // the Gaussian frequency pulse over 4 symbols, finely sampled
    std::vector<double> ifTaps_;
    std::vector<double> ifRe_, ifIm_; // the IF filter's history, twice over for a flat window
    std::size_t ifAt_ = 0;
    double noiseSigma_ = 0;
    double phase_ = 0;
    double offsetPhase_ = 0;
    double lastRe_ = 1, lastIm_ = 0;
    double scale_ = 0;
    std::uint64_t random_[4];
    double spareGaussian_ = 0;
    bool hasSpare_ = false;
};

// The beacon's audio for frames, each in a burst of its own, with `gapSeconds` of carrier off
// before each burst and after the last.
std::vector<std::int16_t> beaconAudio(const std::vector<std::string>& frames,
                                      const BeaconChannel& channel, double gapSeconds = 0.2);

// The frames of samples/pass1.kss, without their KISS command byte.
std::vector<std::string> sampleFrames();
// Distinct frames of random bytes, their lengths drawn from [shortest, longest].
std::vector<std::string> randomFrames(std::size_t count, std::size_t shortest, std::size_t longest,
                                      std::uint64_t seed);

// Writes 16-bit audio with libsndfile in the given format (SF_FORMAT_...), one channel for
// each vector, the shortest setting the length. `vorbisQuality` (0 to 1) applies to Ogg Vorbis.
void writeAudioFile(const std::filesystem::path& file,
                    const std::vector<std::vector<std::int16_t>>& channels, int sampleRate,
                    int format, double vorbisQuality = 0.6);

} // namespace zelto::test
