#pragma once

#include "radio/beacon_demodulator.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zelto {

// Audio samples as they come from a sound card or a pipe, turned into the KISS stream a sound
// modem would give: each frame the demodulator finds, C0 00 frame C0.
class AudioDemodulation {
  public:
    using StreamHandler = std::function<void(std::string_view kissStream)>;

    explicit AudioDemodulation(double sampleRate) : demodulator_(sampleRate) {}

    // Interleaved signed 16-bit samples; only the first of `channels` is demodulated.
    void feed(const std::int16_t* samples, std::size_t frames, int channels,
              const StreamHandler& onStream);
    // The input has ended.
    void finish(const StreamHandler& onStream);

    ReceptionStats stats() const { return demodulator_.stats(); }
    // "level -18 dBFS", with "clipping" or "silent" when the input is so.
    std::string levelText() const;

  private:
    void handOn(const StreamHandler& onStream);

    BeaconDemodulator demodulator_;
    std::vector<std::int16_t> mono_;
    std::string stream_;
};

} // namespace zelto
