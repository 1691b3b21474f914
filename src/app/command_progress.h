#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>
#include <string_view>

class QProgressDialog;
class QWidget;

namespace zelto {

// Shows what a long command is doing. A command that has run for about a second gets a
// modal dialog without a cancel button: it blocks other input, so commands never overlap,
// and a half-finished pass is never left behind by choice. Short commands show nothing.
class CommandProgress {
  public:
    explicit CommandProgress(QWidget* window);
    ~CommandProgress();

    void begin();
    void report(std::string_view stage, long done, long total);
    void end();

    // The dialog's text for a stage and its counts.
    static QString describe(std::string_view stage, long done, long total);

  private:
    QWidget* window_;
    QElapsedTimer sinceBegin_;
    QElapsedTimer sinceUpdate_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace zelto
