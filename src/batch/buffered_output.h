#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zelto {

// Writes to a file descriptor (standard output) in large blocks. A failed write is remembered, and
// everything after it is dropped; the caller reports it once at the end, but for a reader that has
// gone (EPIPE), which is told at once and is no failure of the run.
class BufferedOutput {
  public:
    // `beforeWrite` runs before each block goes out (to erase a progress line sharing a
    // terminal with the output).
    explicit BufferedOutput(int fd, std::function<void()> beforeWrite = {});
    ~BufferedOutput();
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;

    void write(std::string_view bytes);
    void flush();
    // The error number of the first failed write, 0 while all went well.
    int failure() const { return failure_; }

  private:
    void writeOut(std::string_view bytes);

    int fd_;
    std::function<void()> beforeWrite_;
    std::string buffer_;
    int failure_ = 0;
};

} // namespace zelto
