#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

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

// A left-button click at a point of the widget.
inline void click(QWidget* target, QPoint at) {
    const QPointF global = target->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Fixtures whose members are widgets: the application exists before the members do.
class WidgetTest : public ::testing::Test {
  protected:
    WidgetTest() { widgetApp(); }
};

} // namespace zelto::test
