// The eye's centre and level, tracked at the symbol centres.
#include "radio/eye_tracker.h"

namespace zelto {

EyeTracker::EyeTracker(const Gains& gains)
    : attack_(static_cast<float>(gains.attack)), mean_(static_cast<float>(gains.mean)),
      drift_(static_cast<float>(gains.drift)) {}

void EyeTracker::update(float sample) {
    const bool above = sample > centre();
    run_ = above ? (run_ > 0 ? run_ + 1 : 1) : (run_ < 0 ? run_ - 1 : -1);
    const bool lopsided = run_ >= kLongRun || run_ <= -kLongRun;
    float& own = above ? upper_ : lower_;
    float& other = above ? lower_ : upper_;
    const bool beyond = above ? sample > upper_ : sample < lower_;
    own += (beyond ? attack_ : mean_) * (sample - own);
    other += (lopsided ? attack_ : drift_) * (sample - other);
}

} // namespace zelto
