#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zelto {

// One line of progress on a terminal, redrawn in place with a carriage return:
// "file 2/5, 1234 frames". Does nothing unless its descriptor is a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(int fd);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool active() const { return active_; }

    // A new step ("file 2/5", "puzzles"): the frame count starts again from 0.
    void startStep(std::string label);
    void frameDecoded();
    // What the running command reports of itself (total 0 when unknown).
    void commandProgress(std::string_view stage, long done, long total);
    // Erases the line, so that other text can be written to the terminal.
    void clear();

  private:
    void draw(bool force);

    bool active_;
    int fd_;
    std::string label_;
    long frames_ = 0;
    std::string stage_;
    std::size_t shownLength_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace zelto
