// Demodulated audio handed on as a KISS stream, and the input level worded for the fronts.
#include "live/audio_demodulation.h"

#include "radio/kiss_capture.h"

#include <cmath>

namespace zelto {

void AudioDemodulation::feed(const std::int16_t* samples, std::size_t frames, int channels,
                             const StreamHandler& onStream) {
    const auto take = [this](const DemodulatedFrame& frame) {
        appendKissFrame(stream_, frame.kissFrame);
    };
    if (channels <= 1) {
        demodulator_.feed(samples, frames, take);
    } else {
        mono_.resize(frames);
        for (std::size_t i = 0; i < frames; ++i)
            mono_[i] = samples[i * static_cast<std::size_t>(channels)];
        demodulator_.feed(mono_.data(), frames, take);
    }
    handOn(onStream);
}

void AudioDemodulation::finish(const StreamHandler& onStream) {
    demodulator_.finish(
        [this](const DemodulatedFrame& frame) { appendKissFrame(stream_, frame.kissFrame); });
    handOn(onStream);
}

void AudioDemodulation::handOn(const StreamHandler& onStream) {
    if (stream_.empty())
        return;
    onStream(stream_);
    stream_.clear();
}

std::string AudioDemodulation::levelText() const {
    const ReceptionStats now = demodulator_.stats();
    if (now.silent)
        return "silent (no audio reaches the input)";
    std::string text = "level " + std::to_string(std::lround(now.levelDbfs)) + " dBFS";
    if (now.clipping)
        text += ", clipping: turn the input down";
    return text;
}

} // namespace zelto
