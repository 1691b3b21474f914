// The Viterbi detector of the filtered GMSK symbols, and what it learns of the interference.
#include "radio/sequence_detector.h"

#include <algorithm>

namespace zelto {

namespace {
constexpr float kLevelGain = 1.0f / 64;
constexpr float kNeighbourGain = 1.0f / 256;
constexpr float kMostInterference = 0.45f; // of c0, beyond which the eye would be shut
} // namespace

void InterferenceModel::learn(float centred) {
    // The middle one of the last three samples against the decisions on all three: the level
    // from its own, the interference from its neighbours'. Data under the scrambler leaves
    // the neighbours uncorrelated with it.
    const float middle = previous_[0];
    const float own = middle > 0 ? 1.0f : -1.0f;
    const float sides = (previous_[1] > 0 ? 1.0f : -1.0f) + (centred > 0 ? 1.0f : -1.0f);
    level_ += kLevelGain * (middle * own - level_);
    neighbours_ += kNeighbourGain * (middle * sides / 2 - neighbours_);
    previous_[1] = previous_[0];
    previous_[0] = centred;

    const float c0 = level_;
    const float c1 = std::clamp(neighbours_, 0.0f, kMostInterference * std::max(c0, 0.0f));
    for (unsigned i = 0; i < 8; ++i)
        expected_[i] = c0 * ((i & 2) ? 1.0f : -1.0f) +
                       c1 * (((i & 4) ? 1.0f : -1.0f) + ((i & 1) ? 1.0f : -1.0f));
}

unsigned SequenceDetector::push(float centred, const InterferenceModel& model) {
    const std::array<float, 8>& expected = model.expected();
    std::array<float, 4> metrics;
    std::array<std::uint64_t, 4> paths;
    // States (k-1, k) go to (k, k+1); the sample is that of symbol k.
    for (unsigned next = 0; next < 4; ++next) {
        const unsigned own = next >> 1;
        const float e0 = centred - expected[next];     // before = 0
        const float e1 = centred - expected[4 + next]; // before = 1
        const float m0 = metrics_[own] + e0 * e0;
        const float m1 = metrics_[2 + own] + e1 * e1;
        const bool second = m1 < m0;
        metrics[next] = second ? m1 : m0;
        paths[next] = (paths_[second ? 2 + own : own] << 1) | (next & 1);
    }
    const auto best =
        static_cast<unsigned>(std::min_element(metrics.begin(), metrics.end()) - metrics.begin());
    const float floor = metrics[best];
    for (unsigned s = 0; s < 4; ++s)
        metrics_[s] = metrics[s] - floor;
    paths_ = paths;
    return static_cast<unsigned>(paths_[best] >> kDelay) & 1u;
}

} // namespace zelto
