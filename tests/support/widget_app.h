#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelto::test {

// The one QApplication of a widget test program, created on first use. Widget tests run
// without a display.
inline QApplication& widgetApp() {
    static int argc = 1;
    static char name[] = "zelto-widget-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Fixtures whose members are widgets: the application exists before the members do.
class WidgetTest : public ::testing::Test {
  protected:
    WidgetTest() { widgetApp(); }
};

} // namespace zelto::test
