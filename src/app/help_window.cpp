// The Help window Form3.
#include "app/help_window.h"

#include "app/help_text.h"

#include <QPlainTextEdit>

namespace zelto {

TForm3::TForm3(QWidget* mainWindow) : ToolWindow(mainWindow, QStringLiteral(" Help")) {
    setObjectName(QStringLiteral("Form3"));
    setFixedSize(591, 470);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 569, 449);
    // Long lines wrap at the pane's width; only the vertical scroll bar is shown.
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TForm3::FormShow() {
    Memo1->clear();
    Memo1->setPlainText(helpTextLines().join(QLatin1Char('\n')));
}

} // namespace zelto
