// The progress line of a long command on a terminal's standard error.
#include "batch/progress_line.h"

#include "batch/fd_write.h"

#include <unistd.h>

namespace zelto {

namespace {
// Redrawing on every frame would cost more than the decoding; a few times a second is enough.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
} // namespace

ProgressLine::ProgressLine(int fd) : active_(::isatty(fd) == 1), fd_(fd) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::startStep(std::string label) {
    label_ = std::move(label);
    frames_ = 0;
    stage_.clear();
    draw(true);
}

void ProgressLine::frameDecoded() {
    ++frames_;
    draw(false);
}

void ProgressLine::commandProgress(std::string_view stage, long done, long total) {
    stage_ = std::string(stage) + " " + std::to_string(done);
    if (total > 0)
        stage_ += "/" + std::to_string(total);
    draw(false);
}

void ProgressLine::draw(bool force) {
    if (!active_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    std::string text = label_ + ", " + std::to_string(frames_) + " frames";
    if (!stage_.empty())
        text += ", " + stage_;
    std::string line = "\r" + text;
    // Blanks over what is left of a longer previous line.
    if (text.size() < shownLength_)
        line.append(shownLength_ - text.size(), ' ');
    shownLength_ = text.size();
    writeAllToFd(fd_, line); // a progress line that cannot be shown is no failure
}

void ProgressLine::clear() {
    if (!active_ || shownLength_ == 0)
        return;
    writeAllToFd(fd_, "\r" + std::string(shownLength_, ' ') + "\r");
    shownLength_ = 0;
}

} // namespace zelto
