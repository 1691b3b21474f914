// Dialog titles that are not cut by the window manager.
#include "app/dialog_title.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>

namespace zelto {

namespace {
// The icon and the buttons of a title bar, and the margins around them.
constexpr int kTitleBarRoom = 180;
} // namespace

void setDialogTitle(QDialog* dialog, const QString& title) {
    dialog->setWindowTitle(title);
    // Title bars often use a larger, bold font than the dialog's own.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(title);
    dialog->setMinimumWidth(titleWidth + kTitleBarRoom);
}

} // namespace zelto
