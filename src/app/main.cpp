// Zeltodecoder: the main window, then the hidden About and Help windows, until the main window
// closes.
#include "app/about_window.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/program_icon.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: Zeltodecoder [--help | --version] [Qt options]\n"
    "Decodes the images of the ATHENOXAT-1 satellite beacon in a window: captures (.kss,\n"
    ".txt, .HEX), SatNOGS DB frames, and frames live from a sound modem's KISS TCP port.\n"
    "The current directory is the working folder: everything the program writes goes there.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Qt options such as -platform offscreen or -style NAME are taken as every Qt program\n"
    "takes them. Decoding without a window: Zeltodecoder-batch. See Zeltodecoder(1).\n";

bool hasArgument(int argc, char* argv[], const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    return false;
}

bool set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before anything else: no window, no file, no settings.
    if (hasArgument(argc, argv, "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (hasArgument(argc, argv, "--version")) {
        std::printf("Zeltodecoder %s\n", ZELTO_VERSION);
        return 0;
    }
    // Without a display Qt would end with its plugin message, which tells an operator little.
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM") &&
        !hasArgument(argc, argv, "-platform")) {
        std::fputs("Zeltodecoder: no display to open the window on (DISPLAY and WAYLAND_DISPLAY "
                   "are unset); Zeltodecoder-batch decodes without one\n",
                   stderr);
        return 1;
    }
    // Under a file size limit (`ulimit -f`) a write past it is to fail as on a full disk,
    // with "Disk full", rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    // Where the KISS server chosen last is remembered.
    QApplication::setOrganizationName(QStringLiteral("Zeltodecoder"));
    QApplication::setApplicationName(QStringLiteral("Zeltodecoder"));
    QApplication::setApplicationVersion(QStringLiteral(ZELTO_VERSION));
    // The desktop finds the program's entry, and so its icon and name, by this.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(zelto::kDesktopFileName));
    QApplication::setWindowIcon(zelto::programIcon());
    zelto::TForm1 Form1;
    auto* Form2 = new zelto::TForm2(&Form1);
    auto* Form3 = new zelto::TForm3(&Form1);
    Form1.setSecondaryWindows(Form2, Form3);
    Form1.show();
    return application.exec();
}
