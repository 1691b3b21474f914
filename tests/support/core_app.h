#pragma once

#include <QCoreApplication>

namespace zelto::test {

// The one QCoreApplication of a test program without widgets, created on first use.
inline QCoreApplication& coreApp() {
    static int argc = 1;
    static char name[] = "zelto-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace zelto::test
