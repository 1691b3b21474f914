#include "app/list_box.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "support/widget_app.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace zelto {
namespace {

class TForm1Layout : public test::WidgetTest {
  protected:
    TForm1Layout() {}
    template <typename T = QWidget> T* pane(const char* name) {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    TForm1 form;
};

TEST_F(TForm1Layout, CaptionAndClientArea) {
    EXPECT_EQ(form.objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" Zelto Beacon decoder    v1.3     by QG9MCE"));
    EXPECT_EQ(form.centralWidget()->size(), QSize(831, 704));
    EXPECT_EQ(form.size().width(), 831);
    EXPECT_EQ(form.size().height(), 704 + form.menuBar()->height());
}

TEST_F(TForm1Layout, EveryPaneAtItsPlace) {
    const std::vector<std::pair<const char*, QRect>> places{
        {"Edit1", {8, 8, 673, 21}},       {"Memo1", {8, 40, 817, 113}},
        {"ListBox1", {8, 176, 153, 113}}, {"Image8", {176, 176, 57, 57}},
        {"Image1", {248, 176, 57, 57}},   {"Image2", {320, 176, 57, 57}},
        {"Image3", {392, 176, 57, 57}},   {"Image4", {464, 176, 57, 57}},
        {"Image5", {536, 176, 57, 57}},   {"Image6", {608, 176, 57, 57}},
        {"Image9", {680, 176, 57, 57}},   {"Image10", {752, 176, 57, 57}},
        {"ListBox2", {8, 312, 153, 217}}, {"Image7", {176, 312, 609, 385}},
        {"ListBox3", {8, 552, 153, 142}},
    };
    for (const auto& [name, place] : places) {
        QWidget* widget = pane(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), form.centralWidget()) << name;
        EXPECT_EQ(widget->geometry(), place) << name;
    }
}

TEST_F(TForm1Layout, LabelsAtTheirPlacesWideEnoughForTheirText) {
    struct Label {
        const char* name;
        QRect place;
        const char* text;
        bool bold;
    };
    const std::vector<Label> labels{
        {"Label1", {752, 24, 65, 13}, "Click to resize", false},
        {"Label2", {8, 160, 94, 13}, "Received Icons:", true},
        {"Label3", {8, 296, 103, 13}, "Received Images:", true},
        {"Label5", {8, 536, 131, 13}, "Incomplete thumbnails:", true},
        {"Label4", {176, 296, 0, 13}, "", true},
    };
    for (const auto& l : labels) {
        auto* label = pane<QLabel>(l.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromLatin1(l.text)) << l.name;
        if (l.name == std::string("Label1")) {
            // Right-aligned with the report pane when wider than the design's 65 pixels.
            EXPECT_LE(label->x(), 752);
            EXPECT_LE(label->geometry().right(), pane("Memo1")->geometry().right());
            EXPECT_EQ(label->y(), 24);
        } else {
            EXPECT_EQ(label->pos(), l.place.topLeft()) << l.name;
        }
        EXPECT_EQ(label->height(), 13) << l.name;
        EXPECT_GE(label->width(), l.place.width()) << l.name;
        if (!label->text().isEmpty()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << l.name;
        }
        EXPECT_LE(label->geometry().right(), 830) << l.name;
        EXPECT_EQ(label->font().bold(), l.bold) << l.name;
    }
}

TEST_F(TForm1Layout, ReadOnlyFieldAndReportPane) {
    auto* edit = pane<QLineEdit>("Edit1");
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_TRUE(edit->text().isEmpty());
    auto* memo = pane<QPlainTextEdit>("Memo1");
    EXPECT_FALSE(memo->isReadOnly());
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Fixed pitch in fact: the report is read back by character position.
    const QFontMetrics metrics(memo->font());
    for (QChar c : QStringLiteral("il. 0M\u00E9"))
        EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(memo->font().pointSize(), 8);
    EXPECT_EQ(form.font().pointSize(), 8);
}

TEST_F(TForm1Layout, HintsOnlyOnTheLabelTheListsAndTheViewers) {
    EXPECT_EQ(pane("Label4")->toolTip(),
              QStringLiteral("List of received thumbnails, puzzles or other scheduled images"));
    EXPECT_EQ(pane("ListBox1")->toolTip(), QStringLiteral(" Click to see the icon"));
    EXPECT_EQ(
        pane("ListBox2")->toolTip(),
        QStringLiteral(" Click to see the image: thumbnail, puzzle or other sheduled images"));
    EXPECT_EQ(pane("ListBox3")->toolTip(),
              QStringLiteral("Click on ID to see number of missing frames"));
    // The viewers say what a click on them does.
    for (const char* viewer : {"Image7", "Image8"})
        EXPECT_TRUE(pane(viewer)->toolTip().startsWith(QStringLiteral("Click to fit the picture")))
            << viewer;
    const QStringList withHints{QStringLiteral("Label4"),   QStringLiteral("ListBox1"),
                                QStringLiteral("ListBox2"), QStringLiteral("ListBox3"),
                                QStringLiteral("Image7"),   QStringLiteral("Image8")};
    for (QWidget* widget : form.findChildren<QWidget*>())
        if (!withHints.contains(widget->objectName())) {
            EXPECT_TRUE(widget->toolTip().isEmpty()) << widget->objectName().toStdString();
        }
}

TEST_F(TForm1Layout, KeyboardFocusOrder) {
    QStringList order;
    QWidget* widget = pane("Edit1");
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->window() == &form &&
            !widget->objectName().isEmpty())
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != pane("Edit1"));
    EXPECT_EQ(order, (QStringList{QStringLiteral("Edit1"), QStringLiteral("Memo1"),
                                  QStringLiteral("ListBox1"), QStringLiteral("ListBox2"),
                                  QStringLiteral("ListBox3")}));
}

// Captions as shown: an access key's & is not part of them.
QString caption(const QAction* action) {
    return QString(action->text()).remove(QLatin1Char('&'));
}

TEST_F(TForm1Layout, MenuBarAsDesigned) {
    QStringList top;
    QStringList names;
    for (QAction* action : form.menuBar()->actions()) {
        top << caption(action);
        // Reachable from the keyboard: Alt and the letter after the &.
        EXPECT_TRUE(action->text().contains(QLatin1Char('&'))) << caption(action).toStdString();
        names << (action->menu() ? action->menu()->objectName() : action->objectName());
    }
    EXPECT_EQ(top, (QStringList{QStringLiteral(" File"), QStringLiteral(" Show"),
                                QStringLiteral(" Puzzles"), QStringLiteral(" Help"),
                                QStringLiteral(" About")}));
    EXPECT_EQ(names, (QStringList{QStringLiteral("File1"), QStringLiteral("Saved1"),
                                  QStringLiteral("Puzzles1"), QStringLiteral("help"),
                                  QStringLiteral("About1")}));

    const std::vector<std::pair<const char*, QStringList>> menus{
        {"File1",
         {"Open .KSS file", "Open .txt file", "Open .HEX file", "Open SatNOGS frames file",
          "Open recording...", "Fetch frames from SatNOGS DB...", "Open Thumblist.txt log file",
          "", "Connect to KISS server...", "Listen to sound card...", "Disconnect", "Retry now",
          "Station settings...", "", "Exit"}},
        {"Saved1", {" All received thumbnails", " All received icons"}},
        {"Puzzles1", {"Decode"}},
    };
    for (const auto& [name, items] : menus) {
        auto* menu = pane<QMenu>(name);
        ASSERT_NE(menu, nullptr);
        QStringList captions;
        for (QAction* action : menu->actions())
            captions << caption(action);
        EXPECT_EQ(captions, items) << name;
    }
    const QStringList commands{QStringLiteral("OpenKSSfile1"),
                               QStringLiteral("txtTOhex"),
                               QStringLiteral("OpenHEXfile1"),
                               QStringLiteral("OpenSatNOGSframesfile1"),
                               QStringLiteral("FetchframesfromSatNOGSDB1"),
                               QStringLiteral("Openlogfile1"),
                               QStringLiteral("ConnecttoKISSserver1"),
                               QStringLiteral("Disconnect1"),
                               QStringLiteral("Retrynow1"),
                               QStringLiteral("StationSettings1"),
                               QStringLiteral("Exit1"),
                               QStringLiteral("humbnails1"),
                               QStringLiteral("Allreceivedicons1"),
                               QStringLiteral("Decode1"),
                               QStringLiteral("help"),
                               QStringLiteral("About1")};
    for (const QString& name : commands) {
        auto* action = form.findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name.toStdString();
        EXPECT_TRUE(action->shortcut().isEmpty()) << name.toStdString();
    }
}

TEST_F(TForm1Layout, BuiltInPicturesAndEmptyStrip) {
    auto* card = pane<PictureBox>("Image7");
    EXPECT_EQ(card->picture().size(), QSize(376, 239));
    EXPECT_FALSE(card->picture().isGrayscale());
    auto* icon = pane<PictureBox>("Image8");
    EXPECT_EQ(icon->picture().size(), QSize(32, 31));
    EXPECT_EQ(icon->picture().colorCount(), 2);
    for (const char* name :
         {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6", "Image9", "Image10"})
        EXPECT_FALSE(pane<PictureBox>(name)->hasPicture()) << name;
    for (const char* name : {"Image1", "Image7", "Image8"})
        EXPECT_FALSE(pane<PictureBox>(name)->stretch()) << name;
}

} // namespace
} // namespace zelto
