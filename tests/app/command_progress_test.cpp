#include "app/command_progress.h"
#include "support/widget_app.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QWidget>

using namespace zelto;
using namespace zelto::test;

namespace {
class CommandProgressTest : public WidgetTest {
  protected:
    QWidget window;
    QProgressDialog* dialog() { return window.findChild<QProgressDialog*>(); }
};
} // namespace

TEST_F(CommandProgressTest, AShortCommandShowsNothing) {
    CommandProgress progress(&window);
    progress.begin();
    progress.report("Decoding frames", 512, 0);
    EXPECT_EQ(dialog(), nullptr);
    progress.end();
    progress.report("Decoding frames", 1024, 0);
    EXPECT_EQ(dialog(), nullptr) << "no command runs";
}

TEST_F(CommandProgressTest, ALongCommandShowsAModalDialogWithoutCancelUntilItEnds) {
    CommandProgress progress(&window);
    progress.begin();
    QThread::msleep(1100);
    progress.report("Reading capture", 3 * 1024 * 1024, 20 * 1024 * 1024);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_TRUE(dialog()->isVisible());
    EXPECT_EQ(dialog()->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog()->labelText(), "Reading capture: 3072 of 20480 kB");
    EXPECT_EQ(dialog()->findChild<QPushButton*>(), nullptr);
    progress.end();
    EXPECT_EQ(dialog(), nullptr);
}

TEST(CommandProgressText, SaysWhatAndHowFar) {
    EXPECT_EQ(CommandProgress::describe("Decoding frames", 12000, 0),
              "Decoding frames: 12000 frames");
    EXPECT_EQ(CommandProgress::describe("Assembling thumbnails", 3, 10),
              "Assembling thumbnails: 3 of 10");
    EXPECT_EQ(CommandProgress::describe("Assembling puzzles", 0, 0), "Assembling puzzles");
}
