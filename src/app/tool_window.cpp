// A modeless tool window, as Help and About are.
#include "app/tool_window.h"

#include <QFontDatabase>
#include <QShortcut>
#include <QShowEvent>

namespace zelto {

ToolWindow::ToolWindow(QWidget* mainWindow, const QString& caption)
    : QWidget(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint) {
    setWindowTitle(caption);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    setFont(font);
    // Only the main window keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Escape closes it, as it closes a dialog, whichever of its panes has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void ToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QWidget* main = parentWidget())
        move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    shownAgain();
}

} // namespace zelto
