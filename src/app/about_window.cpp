// The About window Form2.
#include "app/about_window.h"

#include "app/click_label.h"

#include <QDesktopServices>
#include <QFrame>
#include <QPainter>
#include <qdrawutil.h>

namespace zelto {

namespace {

// A white panel with a double bevel: lowered outside, raised inside.
class BevelPanel : public QFrame {
  public:
    explicit BevelPanel(QWidget* parent) : QFrame(parent) {
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

// Static texts keep their place and grow to fit their text.
ClickLabel* addText(QWidget* panel, const QString& name, const QString& text, QRect place) {
    auto* label = new ClickLabel(text, panel);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    place.setWidth(std::max(place.width(), label->sizeHint().width()));
    label->setGeometry(place);
    return label;
}

} // namespace

QString TForm2::authorPage() {
    return QStringLiteral("https://qg9mce.example");
}

TForm2::TForm2(QWidget* mainWindow) : ToolWindow(mainWindow, QStringLiteral(" About")) {
    setObjectName(QStringLiteral("Form2"));
    // The client area of a 369 x 183 window with a tool window's frame.
    resize(361, 156);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(16, 16, 321, 113);

    addText(panel, QStringLiteral("StaticText1"), QStringLiteral("Zoravel - QG9MCE"),
            {88, 24, 139, 17});

    ClickLabel* link =
        addText(panel, QStringLiteral("StaticText2"), authorPage(), {96, 48, 131, 17});
    QFont linkFont = link->font();
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    QPalette blue = link->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(blue);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &ClickLabel::clicked, this, &TForm2::StaticText2Click);

    addText(panel, QStringLiteral("StaticText3"),
            QStringLiteral("Thanks Ari QL6VTA for help as beta tester"), {56, 72, 211, 17});
}

void TForm2::StaticText2Click() {
    const QUrl page(authorPage());
    if (openUrlHook)
        openUrlHook(page);
    else
        QDesktopServices::openUrl(page);
}

} // namespace zelto
