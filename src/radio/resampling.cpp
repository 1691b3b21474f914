// Any input rate to the demodulator's working rate.
#include "radio/resampling.h"

#include <liquid/liquid.h>

#include <cmath>

namespace zelto {

namespace {
constexpr float kStopBandDb = 60;
}

Resampler::Resampler(double inputRate, double outputRate) : rate_(outputRate / inputRate) {
    if (std::abs(rate_ - 1) > 1e-9)
        resampler_ = msresamp_rrrf_create(static_cast<float>(rate_), kStopBandDb);
}

Resampler::~Resampler() {
    if (resampler_)
        msresamp_rrrf_destroy(resampler_);
}

void Resampler::process(const float* in, std::size_t count, std::vector<float>& out) {
    if (!resampler_) {
        out.assign(in, in + count);
        return;
    }
    out.resize(static_cast<std::size_t>(std::ceil(1 + 2 * rate_ * static_cast<double>(count))));
    unsigned written = 0;
    msresamp_rrrf_execute(resampler_, const_cast<float*>(in), static_cast<unsigned>(count),
                          out.data(), &written);
    out.resize(written);
}

double Resampler::delay() const {
    return resampler_ ? msresamp_rrrf_get_delay(resampler_) : 0;
}

std::size_t Resampler::flushLength() const {
    return resampler_ ? static_cast<std::size_t>(std::ceil(delay() / rate_)) + 8 : 0;
}

} // namespace zelto
