#include "app/list_box.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "picture/picture.h"
#include "support/test_support.h"
#include "support/widget_app.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

// A pass that brings a thumbnail without one of its frames in the middle, another without
// its first frame, and a puzzle without its last frames.
class PreviewWindow : public test::WidgetTest {
  protected:
    PreviewWindow() {
        form.messageHook = [this](const QString& text) { messages << text; };
        form.show();
        std::vector<std::string> frames{test::textFrame(kThumb, "Coast of Brazil")};
        auto add = [&](test::ImageKind kind, const std::string& id, const std::string& jpeg,
                       std::vector<int> leftOut) {
            const auto all = test::imageFrames(kind, id, jpeg);
            const int count = static_cast<int>(all.size());
            for (int i = 0; i < count; ++i)
                if (std::find(leftOut.begin(), leftOut.end(), count - i) == leftOut.end())
                    frames.push_back(all[static_cast<std::size_t>(i)]);
            return count;
        };
        thumbCount = add(test::ImageKind::Thumbnail, kThumb, thumb, {5});
        const std::string headless = test::smallJpeg(32, 32, 22);
        headlessCount = static_cast<int>(headless.size()) / 200 + 1;
        add(test::ImageKind::Thumbnail, kHeadless, headless, {headlessCount});
        puzzleCount = add(test::ImageKind::Puzzle, kThumb, puzzle, {1, 2, 3});
        const fs::path hex = folder / "pass.HEX";
        test::writeFile(hex, test::hexFile(frames));
        form.openDialogHook = [hex](const QString&) { return QString::fromStdString(hex); };
        form.OpenHEXfile1Click();
    }
    ~PreviewWindow() override { form.hide(); }

    template <typename T = QWidget> T* pane(const char* name) {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    void clickEntry(int row) {
        auto* box = pane<ListBox>("ListBox3");
        test::click(box->viewport(), box->visualItemRect(box->item(row)).center());
    }
    void clickReportLine(int line) {
        auto* memo = pane<QPlainTextEdit>("Memo1");
        QTextCursor cursor(memo->document()->findBlockByNumber(line));
        test::click(memo->viewport(), memo->cursorRect(cursor).center());
    }
    // The preview shows the top of the picture as it is.
    void expectTopOf(const std::string& jpeg) {
        const QImage shown = pane<PictureBox>("Image7")->picture();
        const QImage whole = decodeJpeg(jpeg);
        ASSERT_EQ(shown.size(), whole.size());
        for (int x = 0; x < whole.width(); ++x)
            ASSERT_EQ(shown.pixel(x, 0), whole.pixel(x, 0)) << x;
        EXPECT_NE(shown, whole);
    }

    const std::string kThumb = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    const std::string kHeadless = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3E});
    const std::string thumb = test::smallJpeg(64, 48, 21);
    const std::string puzzle = test::smallJpeg(80, 80, 23);
    int thumbCount = 0;
    int puzzleCount = 0;
    int headlessCount = 0;
    test::WorkFolder folder;
    TForm1 form;
    QStringList messages;
};

TEST_F(PreviewWindow, AClickOnAnIncompleteThumbnailShowsWhatHasArrivedBesideItsMessage) {
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(pane<ListBox>("ListBox3")->count(), 2);

    form.panes().setDescription("the image shown before");
    clickEntry(0);
    // The description above the preview is its own image's.
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("Coast of Brazil"));
    EXPECT_EQ(messages, QStringList{QStringLiteral(" Missing 1 frames from %1 in : thumb 0A 1B "
                                                   "2C 3D")
                                        .arg(thumbCount)});
    expectTopOf(thumb);
    EXPECT_EQ(pane<QLabel>("Label6")->text(),
              QStringLiteral("thumb 0A 1B 2C 3D: %1 of %2 frames\nmissing 5")
                  .arg(thumbCount - 1)
                  .arg(thumbCount));

    // Without its first frame there is nothing to show but why.
    clickEntry(1);
    EXPECT_EQ(pane<QLabel>("Label4")->text(),
              QStringLiteral("Image description not yet received..."));
    EXPECT_EQ(messages.size(), 2);
    EXPECT_FALSE(pane<PictureBox>("Image7")->hasPicture());
    EXPECT_EQ(pane<PictureBox>("Image7")->notice(),
              QStringLiteral("No preview yet: the header frame (frame %1, the first of the file) "
                             "has not arrived")
                  .arg(headlessCount));
    EXPECT_EQ(pane<QLabel>("Label6")->text(),
              QStringLiteral("thumb 0A 1B 2C 3E: %1 of %2 frames\nmissing %2")
                  .arg(headlessCount - 1)
                  .arg(headlessCount));

    // The text goes with the preview.
    form.apaga();
    EXPECT_TRUE(pane<QLabel>("Label6")->text().isEmpty());
}

TEST_F(PreviewWindow, AClickOnTheReportLineOfAnIncompletePuzzleShowsWhatHasArrived) {
    form.findChild<QAction*>(QStringLiteral("Decode1"))->trigger();
    const std::string line = "Puzzle 0A 1B 2C 3D : received " + std::to_string(puzzleCount - 3) +
                             " frames from a total of " + std::to_string(puzzleCount);
    ASSERT_EQ(form.panes().reportLines(), (std::vector<std::string>{" ", line}));
    EXPECT_FALSE(pane<PictureBox>("Image7")->hasPicture());

    clickReportLine(0);
    EXPECT_FALSE(pane<PictureBox>("Image7")->hasPicture());
    form.panes().setDescription("the image shown before");
    clickReportLine(1);
    expectTopOf(puzzle);
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("Coast of Brazil"));
    EXPECT_EQ(pane<QLabel>("Label6")->text(),
              QStringLiteral("puzzl 0A 1B 2C 3D: %1 of %2 frames\nmissing 1-3")
                  .arg(puzzleCount - 3)
                  .arg(puzzleCount));
    EXPECT_EQ(form.panes().reportLines(), (std::vector<std::string>{" ", line}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace zelto
