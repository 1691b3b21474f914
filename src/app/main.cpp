// Zeltodecoder: the main window, then the hidden About and Help windows, until the main window
// closes.
#include "app/about_window.h"
#include "app/help_window.h"
#include "app/main_window.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[]) {
    // Under a file size limit (`ulimit -f`) a write past it is to fail as on a full disk,
    // with "Disk full", rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    // Where the KISS server chosen last is remembered.
    QApplication::setOrganizationName(QStringLiteral("Zeltodecoder"));
    QApplication::setApplicationName(QStringLiteral("Zeltodecoder"));
    zelto::TForm1 Form1;
    auto* Form2 = new zelto::TForm2(&Form1);
    auto* Form3 = new zelto::TForm3(&Form1);
    Form1.setSecondaryWindows(Form2, Form3);
    Form1.show();
    return application.exec();
}
