// Dialog titles that are not cut by the window manager.
#include "app/dialog_title.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace zelto {

namespace {

// The icon and the buttons of a title bar, and the margins around them.
constexpr int kTitleBarRoom = 180;

int widthForTitle(const QString& title) {
    // Title bars often use a larger, bold font than the dialog's own.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    return QFontMetrics(titleFont).horizontalAdvance(title) + kTitleBarRoom;
}

} // namespace

void setDialogTitle(QDialog* dialog, const QString& title) {
    dialog->setWindowTitle(title);
    dialog->setMinimumWidth(widthForTitle(title));
}

void fitTitle(QMessageBox* box) {
    // A message box fixes its own size: only what its layout holds can widen it.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(widthForTitle(box->windowTitle()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace zelto
