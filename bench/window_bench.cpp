// Runs the window's open command on one capture, as an operator would, and prints how long
// it took in seconds. The main window is created for real (offscreen unless a display is
// chosen); the open dialog is answered with the capture given on the command line.
#include "app/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: zelto-window-bench CAPTURE\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QString capture = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();

    zelto::TForm1 form;
    bool failed = false;
    form.openDialogHook = [&](const QString&) { return capture; };
    form.messageHook = [&](const QString& text) {
        std::fprintf(stderr, "zelto-window-bench: %s\n", text.toLocal8Bit().constData());
        failed = true;
    };
    form.show();
    QApplication::processEvents();

    const QString suffix = QFileInfo(capture).suffix().toLower();
    QElapsedTimer timer;
    timer.start();
    if (suffix == "kss")
        form.OpenKSSfile1Click();
    else if (suffix == "txt")
        form.txtTOhexClick();
    else
        form.OpenHEXfile1Click();
    // What the operator sees is part of the command: let the panes paint.
    QApplication::processEvents();
    std::printf("%.3f\n", static_cast<double>(timer.nsecsElapsed()) / 1e9);
    return failed ? 1 : 0;
}
