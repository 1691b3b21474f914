#pragma once

#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace zelto {

// The report pane Memo1 fed line by line. Lines wait in a buffer and go into the pane in one
// block on flush(), so a pass of thousands of frames does not redraw the pane per line.
// Reading the pane flushes first.
class ReportPane {
  public:
    explicit ReportPane(QPlainTextEdit* edit) : edit_(edit) {}

    // The pane lays a line out whole: a data line of a text capture megabytes long would take
    // it seconds and gigabytes, so the pane shows lines cut here. Report lines of the decoding
    // pass are never as long.
    static constexpr std::size_t kLongestLine = 1 << 17;

    void clear();
    void append(std::string_view line);
    void appendToLast(std::string_view text);
    std::vector<std::string> lines();
    void flush();
    // Drops the oldest lines past the most recent `count`, so that a session of weeks holds
    // only a bounded pane (the files keep everything).
    void keepLast(int count);

  private:
    QPlainTextEdit* edit_;
    static constexpr std::size_t kFlushBytes = 1 << 20;

    std::vector<std::string> pending_;
    std::size_t pendingBytes_ = 0;
    // An empty pane and a pane holding one empty line look alike in the text document.
    bool holdsLines_ = false;
};

} // namespace zelto
