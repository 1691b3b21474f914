#include "app/click_label.h"
#include "app/list_box.h"
#include "app/picture_box.h"
#include "support/widget_app.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace zelto {
namespace {

using test::click;

void pressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class ListBoxTest : public test::WidgetTest {
  protected:
    ListBoxTest() {
        list.setGeometry(0, 0, 153, 113);
        for (const char* entry : {"icon01 02 03 04 .bmp", "icon05 06 07 08 .bmp", "icon09 .bmp"})
            list.addItem(QString::fromLatin1(entry));
        list.show();
        QObject::connect(&list, &ListBox::userSelected, [this] {
            QString text;
            list.selectedText(text);
            picked.push_back(text);
        });
    }
    void clickEntry(int row) {
        click(list.viewport(), list.visualItemRect(list.item(row)).center());
    }
    ListBox list;
    QStringList picked;
};

TEST_F(ListBoxTest, EntriesAreThirteenPixelsHigh) {
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), 13);
    EXPECT_EQ(list.visualItemRect(list.item(1)).top(),
              list.visualItemRect(list.item(0)).top() + 13);
}

TEST_F(ListBoxTest, SelectingFromCodeRunsNoHandler) {
    list.selectLastQuietly();
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_TRUE(picked.isEmpty());
    list.clear();
    EXPECT_TRUE(picked.isEmpty());
    QString text;
    EXPECT_FALSE(list.selectedText(text));
}

TEST_F(ListBoxTest, EveryClickOnAnEntryIsReportedOnce) {
    clickEntry(1);
    EXPECT_EQ(picked, QStringList{QStringLiteral("icon05 06 07 08 .bmp")});
    // The entry already selected, and the one the program selected, count as picked again.
    clickEntry(1);
    list.selectLastQuietly();
    clickEntry(2);
    EXPECT_EQ(picked,
              (QStringList{QStringLiteral("icon05 06 07 08 .bmp"),
                           QStringLiteral("icon05 06 07 08 .bmp"), QStringLiteral("icon09 .bmp")}));
}

TEST_F(ListBoxTest, ClickBelowTheEntriesPicksNothing) {
    click(list.viewport(), QPoint(20, 100));
    EXPECT_TRUE(picked.isEmpty());
}

TEST_F(ListBoxTest, KeyboardMovesAreReported) {
    list.selectLastQuietly();
    pressKey(&list, Qt::Key_Up);
    pressKey(&list, Qt::Key_Up);
    EXPECT_EQ(picked, (QStringList{QStringLiteral("icon05 06 07 08 .bmp"),
                                   QStringLiteral("icon01 02 03 04 .bmp")}));
}

TEST_F(ListBoxTest, GettingTheFocusPicksNothing) {
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&list, &focus);
    EXPECT_TRUE(picked.isEmpty());
}

class PictureBoxTest : public test::WidgetTest {
  protected:
    PictureBoxTest() {
        box.setGeometry(0, 0, 57, 57);
        QImage red(4, 4, QImage::Format_RGB32);
        red.fill(Qt::red);
        box.setPicture(red);
    }
    QRgb pixel(int x, int y) { return box.grab().toImage().pixel(x, y); }
    PictureBox box;
};

TEST_F(PictureBoxTest, ShowsThePictureAtItsSizeFromTheTopLeft) {
    EXPECT_EQ(pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_NE(pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_NE(pixel(56, 56), qRgb(255, 0, 0));
}

TEST_F(PictureBoxTest, StretchedFillsThePaneAndBackAgain) {
    box.setStretch(true);
    EXPECT_EQ(pixel(56, 56), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(30, 2), qRgb(255, 0, 0));
    box.setStretch(false);
    EXPECT_NE(pixel(56, 56), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(PictureBoxTest, EmptiedShowsNothing) {
    box.clearPicture();
    EXPECT_FALSE(box.hasPicture());
    EXPECT_NE(pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(PictureBoxTest, ReportsClicks) {
    int clicks = 0;
    QObject::connect(&box, &PictureBox::clicked, [&] { ++clicks; });
    click(&box, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    ClickLabel label(QStringLiteral("Click to resize"));
    label.resize(65, 13);
    int labelClicks = 0;
    QObject::connect(&label, &ClickLabel::clicked, [&] { ++labelClicks; });
    click(&label, QPoint(5, 5));
    EXPECT_EQ(labelClicks, 1);
}

} // namespace
} // namespace zelto
