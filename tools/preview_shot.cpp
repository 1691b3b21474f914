// Makes the README's picture of a preview: the main window after File > Open .KSS file on
// the sample capture pass1.kss and Puzzles > Decode, with a click on the report line of the
// puzzle that still lacks its last frames. The window is drawn offscreen.
//
//   build/tools/zelto-preview-shot samples docs/preview.png
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: zelto-preview-shot SAMPLES_FOLDER PICTURE.png\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QString capture = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath("pass1.kss");
    const QString picture = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[2]));

    // The window works in the folder it starts in: a fresh one, with a copy of the capture.
    QTemporaryDir work;
    const QString copy = QDir(work.path()).filePath("pass1.kss");
    if (!work.isValid() || !QFile::copy(capture, copy) || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "zelto-preview-shot: cannot prepare a working folder\n");
        return 1;
    }
    zelto::TForm1 form;
    bool failed = false;
    form.openDialogHook = [&](const QString&) { return copy; };
    form.messageHook = [&](const QString& text) {
        std::fprintf(stderr, "zelto-preview-shot: %s\n", text.toLocal8Bit().constData());
        failed = true;
    };
    form.show();
    QApplication::processEvents();
    form.OpenKSSfile1Click();
    form.Decode1Click();

    auto* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    for (QTextBlock line = memo->document()->begin(); line.isValid(); line = line.next())
        if (line.text().startsWith(QStringLiteral("Puzzle ")))
            memo->setTextCursor(QTextCursor(line));
    form.Memo1Click();
    QApplication::processEvents();
    if (failed || !form.grab().save(picture, "PNG")) {
        std::fprintf(stderr, "zelto-preview-shot: no picture written\n");
        return 1;
    }
    return 0;
}
