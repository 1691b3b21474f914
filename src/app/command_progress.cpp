// The progress dialog of a long command, shown once it has run for about a second.
#include "app/command_progress.h"

#include "live/text_codec.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace zelto {

namespace {
constexpr qint64 kQuietMilliseconds = 1000;
constexpr qint64 kUpdateMilliseconds = 250;
constexpr int kBarSteps = 1000;
} // namespace

CommandProgress::CommandProgress(QWidget* window) : window_(window) {}

CommandProgress::~CommandProgress() = default;

void CommandProgress::begin() {
    sinceBegin_.start();
    sinceUpdate_.invalidate();
}

QString CommandProgress::describe(std::string_view stage, long done, long total) {
    const QString what = fromWindows1252(stage);
    if (what == QLatin1String("Reading capture"))
        return QStringLiteral("%1: %2 of %3 kB").arg(what).arg(done / 1024).arg(total / 1024);
    if (total > 0)
        return QStringLiteral("%1: %2 of %3").arg(what).arg(done).arg(total);
    if (done > 0)
        return QStringLiteral("%1: %2 frames").arg(what).arg(done);
    return what;
}

void CommandProgress::report(std::string_view stage, long done, long total) {
    if (!sinceBegin_.isValid() || sinceBegin_.elapsed() < kQuietMilliseconds)
        return;
    if (sinceUpdate_.isValid() && sinceUpdate_.elapsed() < kUpdateMilliseconds)
        return;
    sinceUpdate_.start();
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>(window_);
        dialog_->setWindowTitle(window_->windowTitle());
        dialog_->setCancelButton(nullptr);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumWidth(360);
    }
    dialog_->setLabelText(describe(stage, done, total));
    if (total > 0) {
        dialog_->setRange(0, kBarSteps);
        dialog_->setValue(static_cast<int>(static_cast<double>(done) / total * kBarSteps));
    } else {
        dialog_->setRange(0, 0); // busy indicator: the count is in the text
    }
    dialog_->show();
    // Only painting happens here; the modal dialog keeps input away from the window.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CommandProgress::end() {
    sinceBegin_.invalidate();
    if (dialog_) {
        dialog_->hide();
        dialog_.reset();
    }
}

} // namespace zelto
