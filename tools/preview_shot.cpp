// Makes the README's pictures of the window: the main window after File > Open .KSS file on
// the sample capture pass1.kss (main-window.png), then after Puzzles > Decode and a click on
// the report line of the puzzle that still lacks its last frames (preview.png), and the Help
// window (help-window.png). Drawn on the display when there is one (Xvfb), offscreen else.
//
//   xvfb-run -s "-screen 0 1280x1024x24" build/tools/zelto-preview-shot samples docs
#include "app/help_window.h"
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include <cstdio>
#include <cstdlib>

namespace {

// Lets the window system draw what was shown.
void settle() {
    QElapsedTimer time;
    time.start();
    while (time.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool save(QWidget& window, const QString& picture) {
    settle();
    return window.grab().save(picture, "PNG");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: zelto-preview-shot SAMPLES_FOLDER PICTURES_FOLDER\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QString capture = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath("pass1.kss");
    const QDir pictures(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[2])));

    // The window works in the folder it starts in: a fresh one, with a copy of the capture.
    QTemporaryDir work;
    const QString copy = QDir(work.path()).filePath("pass1.kss");
    if (!work.isValid() || !QFile::copy(capture, copy) || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "zelto-preview-shot: cannot prepare a working folder\n");
        return 1;
    }
    zelto::TForm1 form;
    auto* help = new zelto::TForm3(&form);
    form.setSecondaryWindows(nullptr, help);
    bool failed = false;
    form.openDialogHook = [&](const QString&) { return copy; };
    form.messageHook = [&](const QString& text) {
        std::fprintf(stderr, "zelto-preview-shot: %s\n", text.toLocal8Bit().constData());
        failed = true;
    };
    form.show();
    QApplication::processEvents();
    form.OpenKSSfile1Click();
    bool saved = save(form, pictures.filePath("main-window.png"));

    form.Decode1Click();
    auto* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    for (QTextBlock line = memo->document()->begin(); line.isValid(); line = line.next())
        if (line.text().startsWith(QStringLiteral("Puzzle ")))
            memo->setTextCursor(QTextCursor(line));
    form.Memo1Click();
    saved = save(form, pictures.filePath("preview.png")) && saved;

    form.helpClick();
    saved = save(*help, pictures.filePath("help-window.png")) && saved;
    if (failed || !saved) {
        std::fprintf(stderr, "zelto-preview-shot: not every picture was written\n");
        return 1;
    }
    return 0;
}
