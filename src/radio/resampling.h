#pragma once

#include <cstddef>
#include <vector>

struct msresamp_rrrf_s;

namespace zelto {

// Audio at any rate to another, with liquid's multi-stage resampler; equal rates pass through.
class Resampler {
  public:
    Resampler(double inputRate, double outputRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // The output for these input samples, in `out` (replaced).
    void process(const float* in, std::size_t count, std::vector<float>& out);
    // How late the output comes, in output samples.
    double delay() const;
    // Zeros to process() so that all the input given so far comes out.
    std::size_t flushLength() const;

  private:
    msresamp_rrrf_s* resampler_ = nullptr;
    double rate_;
};

} // namespace zelto
