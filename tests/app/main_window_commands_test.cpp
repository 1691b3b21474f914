#include "app/about_window.h"
#include "app/help_window.h"
#include "app/list_box.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "support/beacon_modulator.h"
#include "support/test_support.h"
#include "support/widget_app.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <sndfile.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

const char* const kStrip[] = {"Image1", "Image2", "Image3", "Image4",
                              "Image5", "Image6", "Image9", "Image10"};

// A main window on a fresh working folder, answering its dialogs and boxes itself.
class TForm1Commands : public test::WidgetTest {
  protected:
    TForm1Commands() {
        form.messageHook = [this](const QString& text) { messages << text; };
        form.openDialogHook = [this](const QString& filter) {
            filters << filter;
            return chosenFile;
        };
        form.openUrlHook = [this](const QUrl& url) { urls << url; };
        form.show();
    }
    ~TForm1Commands() override { form.hide(); }

    template <typename T = QWidget> T* pane(const char* name) {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    QStringList listEntries(const char* name) {
        QStringList entries;
        auto* list = pane<ListBox>(name);
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
        return entries;
    }
    std::vector<std::string> reportLines() { return form.panes().reportLines(); }
    void clickEntry(const char* list, int row) {
        auto* box = pane<ListBox>(list);
        test::click(box->viewport(), box->visualItemRect(box->item(row)).center());
    }

    test::WorkFolder folder;
    TForm1 form;
    QStringList messages;
    QStringList filters;
    QList<QUrl> urls;
    QString chosenFile;
};

TEST_F(TForm1Commands, StartUpEmptiesTheReportAndTakesTheCurrentFolder) {
    EXPECT_EQ(form.session().workFolder, fs::current_path());
    EXPECT_TRUE(reportLines().empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(fs::is_regular_file(folder / "ThumbList.txt"));
}

TEST_F(TForm1Commands, StartUpPreparesAnEmptyFolderAndKeepsAPreparedOne) {
    fs::remove(folder / "ThumbList.txt");
    fs::remove(folder / "Thumbs");
    fs::remove(folder / "Puzzles");
    {
        TForm1 fresh;
        fresh.messageHook = [this](const QString& text) { messages << text; };
        fresh.show();
    }
    EXPECT_EQ(test::readFile(folder / "ThumbList.txt"), "");
    EXPECT_TRUE(fs::is_directory(folder / "Thumbs"));
    EXPECT_TRUE(fs::is_directory(folder / "Puzzles"));

    test::writeFile(folder / "ThumbList.txt", " 0A 1B 2C 3D = kept\r\n");
    test::writeFile(folder / "Thumbs" / "keep.bin", "x");
    {
        TForm1 again;
        again.messageHook = [this](const QString& text) { messages << text; };
        again.show();
    }
    EXPECT_EQ(test::readFile(folder / "ThumbList.txt"), " 0A 1B 2C 3D = kept\r\n");
    EXPECT_EQ(test::listFolder(folder / "Thumbs"), std::vector<std::string>{"keep.bin"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TForm1Commands, StartUpInAFolderDeletedBeforehandIsFileNotFound) {
    const fs::path gone = folder / "gone";
    fs::create_directory(gone);
    fs::current_path(gone);
    fs::remove(gone);
    {
        TForm1 late;
        late.messageHook = [this](const QString& text) { messages << text; };
        late.show();
    }
    fs::current_path(folder.path());
    EXPECT_EQ(messages, QStringList{"File not found"});
}

TEST_F(TForm1Commands, StartUpRunsOnTheFirstShowOnly) {
    form.panes().reportAppend("a report line");
    form.hide();
    form.show();
    EXPECT_EQ(reportLines(), std::vector<std::string>{"a report line"});
}

TEST_F(TForm1Commands, ResizeToggleTwiceBringsBackTheNormalLayout) {
    form.panes().listAppend(ListPane::ListBox1, "icon01 02 03 04 .bmp");
    form.panes().listAppend(ListPane::ListBox2, "thumb 0A 1B 2C 3D.jpg");
    form.panes().listAppend(ListPane::ListBox3, "0A 1B 2C 3E");
    auto* memo = pane<QPlainTextEdit>("Memo1");

    // Down to the bottom of the panes: 657 high on a window of the design's size.
    const QWidget* client = form.centralWidget();
    form.Label1Click();
    EXPECT_EQ(memo->geometry(), QRect(8, 40, client->width() - 14, client->height() - 47));
    for (const char* list : {"ListBox1", "ListBox2", "ListBox3"})
        EXPECT_TRUE(pane(list)->isHidden()) << list;
    // The enlarged pane lies over the labels and pictures below it.
    EXPECT_EQ(form.centralWidget()->childAt(400, 500), memo->viewport());

    form.Label1Click();
    EXPECT_EQ(memo->geometry(), QRect(8, 40, client->width() - 14, 113));
    for (const char* list : {"ListBox1", "ListBox2", "ListBox3"})
        EXPECT_FALSE(pane(list)->isHidden()) << list;
    EXPECT_EQ(listEntries("ListBox1"), QStringList{QStringLiteral("icon01 02 03 04 .bmp")});
    EXPECT_EQ(listEntries("ListBox2"), QStringList{QStringLiteral("thumb 0A 1B 2C 3D.jpg")});
    EXPECT_EQ(listEntries("ListBox3"), QStringList{QStringLiteral("0A 1B 2C 3E")});
}

TEST_F(TForm1Commands, ASmallerWindowKeepsEveryPaneInsideWithTheViewerAndListsFollowing) {
    QWidget* client = form.centralWidget();
    const int bars = form.height() - client->height();
    form.resize(931, 504 + bars);
    test::pumpEventsUntil([&] { return client->size() == QSize(931, 504); });
    ASSERT_EQ(client->size(), QSize(931, 504));
    for (const char* name : {"Memo1", "ListBox2", "ListBox3", "Image7", "Label1", "Edit1"})
        EXPECT_TRUE(client->rect().contains(pane(name)->geometry())) << name;
    EXPECT_EQ(pane("Memo1")->geometry(), QRect(8, 40, 917, 113));
    EXPECT_EQ(pane("Image7")->geometry(), QRect(176, 312, 709, 185));
    EXPECT_EQ(pane("ListBox3")->geometry().bottom(), 504 - 11);
    // Small enough for a 1366 x 768 screen at 120 dpi, with its panel and the status line.
    EXPECT_LE(client->minimumHeight(), 470);
    form.resize(831, 704 + bars);
    test::pumpEventsUntil([&] { return client->size() == QSize(831, 704); });
    EXPECT_EQ(pane("ListBox2")->geometry(), QRect(8, 312, 153, 217));
    EXPECT_EQ(pane("ListBox3")->geometry(), QRect(8, 552, 153, 142));
    EXPECT_EQ(pane("Image7")->geometry(), QRect(176, 312, 609, 385));
}

TEST_F(TForm1Commands, LabelClickRunsTheToggle) {
    test::click(pane("Label1"), QPoint(3, 3));
    EXPECT_EQ(pane("Memo1")->height(), form.centralWidget()->height() - 47);
}

TEST_F(TForm1Commands, ApagaEmptiesTheTenPicturePanesOnly) {
    form.panes().listAppend(ListPane::ListBox1, "icon01 02 03 04 .bmp");
    form.panes().setDescription("A description");
    form.apaga();
    for (const char* name : kStrip)
        EXPECT_FALSE(pane<PictureBox>(name)->hasPicture()) << name;
    EXPECT_FALSE(pane<PictureBox>("Image7")->hasPicture());
    EXPECT_FALSE(pane<PictureBox>("Image8")->hasPicture());
    EXPECT_EQ(listEntries("ListBox1").size(), 1);
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("A description"));
}

TEST_F(TForm1Commands, DescriptionLabelFollowsItsText) {
    auto* label = pane<QLabel>("Label4");
    form.panes().setDescription("Short");
    const int shortWidth = label->width();
    form.panes().setDescription("A much longer description of the image \xE9");
    EXPECT_GT(label->width(), shortWidth);
    EXPECT_EQ(label->geometry().topLeft(), QPoint(176, 296));
    EXPECT_EQ(label->height(), 13);
    EXPECT_EQ(label->text(), QString::fromUtf16(u"A much longer description of the image \u00E9"));
    // Markup in a description is text.
    form.panes().setDescription("<b>x</b>");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST_F(TForm1Commands, ViewerClicksToggleStretching) {
    auto* card = pane<PictureBox>("Image7");
    auto* icon = pane<PictureBox>("Image8");
    form.Image7Click();
    EXPECT_TRUE(card->stretch());
    EXPECT_FALSE(icon->stretch());
    form.Image7Click();
    EXPECT_FALSE(card->stretch());
    EXPECT_EQ(card->picture().size(), QSize(376, 239));
    form.Image8Click();
    EXPECT_TRUE(icon->stretch());
    form.Image8Click();
    EXPECT_FALSE(icon->stretch());
}

TEST_F(TForm1Commands, CancelledDialogsChangeNothing) {
    form.panes().reportAppend("kept");
    chosenFile.clear();
    form.OpenHEXfile1Click();
    form.OpenKSSfile1Click();
    form.txtTOhexClick();
    EXPECT_EQ(filters, (QStringList{QStringLiteral("HEX files(*.hex) (*.hex *.HEX)"),
                                    QStringLiteral("Kiss files (*.kss) (*.kss *.KSS)"),
                                    QStringLiteral("txt files (*.txt) (*.txt *.TXT)")}));
    EXPECT_EQ(reportLines(), std::vector<std::string>{"kept"});
    EXPECT_TRUE(pane<PictureBox>("Image7")->hasPicture());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TForm1Commands, MenuItemsRunTheirHandlers) {
    chosenFile.clear();
    form.findChild<QAction*>(QStringLiteral("OpenHEXfile1"))->trigger();
    form.findChild<QAction*>(QStringLiteral("OpenKSSfile1"))->trigger();
    form.findChild<QAction*>(QStringLiteral("txtTOhex"))->trigger();
    EXPECT_EQ(filters.size(), 3);
    form.findChild<QAction*>(QStringLiteral("Openlogfile1"))->trigger();
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0], QUrl::fromLocalFile(
                           QString::fromStdString((folder.path() / "ThumbList.txt").string())));
}

TEST_F(TForm1Commands, ARecordingIsDemodulatedIntoACaptureAndOpened) {
    test::BeaconChannel channel;
    channel.ebN0Db = 25;
    test::writeAudioFile(folder / "pass.flac", {test::beaconAudio(test::sampleFrames(), channel)},
                         48000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    chosenFile = QString::fromStdString((folder / "pass.flac").string());
    form.findChild<QAction*>(QStringLiteral("Openrecording1"))->trigger();
    EXPECT_EQ(filters.back(), QStringLiteral("Recordings (*.wav *.flac *.ogg) (*.wav *.flac *.ogg "
                                             "*.WAV *.FLAC *.OGG)"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    ASSERT_FALSE(reportLines().empty());
    EXPECT_TRUE(reportLines().back().starts_with(" >>>  pass.flac: ")) << reportLines().back();
    EXPECT_TRUE(fs::exists(folder / "pass.kss"));
    EXPECT_FALSE(listEntries("ListBox2").isEmpty());
}

TEST_F(TForm1Commands, MissingFramesOfAClickedThumbnail) {
    const fs::path partial = folder / "Thumbs" / "0A 1B 2C 3D . 12";
    fs::create_directories(partial);
    for (const char* frame : {"0C 00.bin", "0B 00.bin", "01 00.bin"})
        test::writeFile(partial / frame, std::string(200, 'x'));
    form.session().memo4.note("0A 1B 2C 3D . 12");
    form.panes().listAppend(ListPane::ListBox3, "0A 1B 2C 3D");
    form.panes().listSelectLast(ListPane::ListBox3);
    EXPECT_TRUE(messages.isEmpty());

    clickEntry("ListBox3", 0);
    EXPECT_EQ(messages,
              QStringList{QStringLiteral(" Missing 9 frames from 12 in : thumb 0A 1B 2C 3D")});
}

TEST_F(TForm1Commands, AFailureEndsTheCommandWithItsMessage) {
    form.session().memo4.note("0A 1B 2C 3D . x");
    form.panes().listAppend(ListPane::ListBox3, "0A 1B 2C 3D");
    clickEntry("ListBox3", 0);
    EXPECT_EQ(messages, QStringList{QStringLiteral("'x' is not a valid integer value")});
    // The window stays usable.
    form.Label1Click();
    EXPECT_EQ(pane("Memo1")->height(), form.centralWidget()->height() - 47);
}

TEST_F(TForm1Commands, ExitClosesTheProgramWithHelpAndAboutOpen) {
    auto* about = new TForm2(&form);
    auto* help = new TForm3(&form);
    form.setSecondaryWindows(about, help);
    form.helpClick();
    form.About1Click();
    ASSERT_TRUE(help->isVisible());
    ASSERT_TRUE(about->isVisible());
    // Exit from inside the event loop: the loop must end.
    bool guardFired = false;
    QTimer::singleShot(0, &form,
                       [&] { form.findChild<QAction*>(QStringLiteral("Exit1"))->trigger(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QApplication::quit();
    });
    guard.start(20000);
    QApplication::exec();
    EXPECT_FALSE(guardFired);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(help->isVisible());
    EXPECT_FALSE(about->isVisible());
}

TEST_F(TForm1Commands, HelpAndAboutComeToTheFrontWhenShownAlready) {
    auto* about = new TForm2(&form);
    auto* help = new TForm3(&form);
    form.setSecondaryWindows(about, help);
    EXPECT_FALSE(help->isVisible());
    form.helpClick();
    EXPECT_TRUE(help->isVisible());
    auto* text = help->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    text->appendPlainText(QStringLiteral("typed"));
    form.helpClick();
    EXPECT_EQ(text->document()->lastBlock().text(), QStringLiteral("typed"));
    about->close();
    EXPECT_FALSE(about->isVisible());
    form.About1Click();
    EXPECT_TRUE(about->isVisible());
}

// A capture of nine icons, a described thumbnail in all its frames and a thumbnail lacking one.
class DecodedHexFile : public TForm1Commands {
  protected:
    DecodedHexFile() {
        std::vector<std::string> frames;
        bitmap = test::smallBmp(8, 8);
        for (int i = 1; i <= 9; ++i)
            frames.push_back(test::iconFrame(test::bytesOf({1, 2, 3, i}), bitmap));
        frames.push_back(test::textFrame(kCard, "Satellite test card"));
        jpeg = test::smallJpeg(40, 30, 7);
        for (auto& f : test::imageFrames(test::ImageKind::Thumbnail, kCard, jpeg))
            frames.push_back(f);
        const std::string other = test::smallJpeg(16, 16, 3);
        auto partial = test::imageFrames(test::ImageKind::Thumbnail, kOther, other);
        partial.pop_back();
        for (auto& f : partial)
            frames.push_back(f);
        hexPath = folder / "pass1.HEX";
        test::writeFile(hexPath, test::hexFile(frames));
        otherFrames = static_cast<int>(other.size()) / 200 + 1;
    }
    void open() {
        chosenFile = QString::fromStdString(hexPath.string());
        form.OpenHEXfile1Click();
    }

    const std::string kCard = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    const std::string kOther = test::bytesOf({0x0A, 0x1B, 0x2C, 0x3E});
    std::string bitmap;
    std::string jpeg;
    int otherFrames = 0;
    fs::path hexPath;
};

TEST_F(DecodedHexFile, FillsThePanes) {
    form.Label1Click(); // the command brings back the normal layout
    open();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();

    std::vector<std::string> expected;
    for (int i = 1; i <= 9; ++i)
        expected.push_back("Icon.   ID : 01 02 03 0" + std::to_string(i) +
                           "  Size = " + std::to_string(bitmap.size()) + " bytes");
    expected.push_back("Text.   ID : 0A 1B 2C 3D  Satellite test card");
    const int size = static_cast<int>(jpeg.size());
    const int count = size / 200 + 1;
    for (int f = count; f >= 1; --f)
        expected.push_back("Thumbn. ID : 0A 1B 2C 3D  Size = " + std::to_string(size) +
                           " bytes in " + std::to_string(count) + " frames. Rem.= " +
                           std::to_string(size % 200) + "  Frame # = " + std::to_string(f));
    const std::vector<std::string> lines = reportLines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_EQ(lines.size(), expected.size() + static_cast<std::size_t>(otherFrames) - 1);

    QStringList icons;
    for (int i = 1; i <= 9; ++i)
        icons << QStringLiteral("icon01 02 03 0%1 .bmp").arg(i);
    EXPECT_EQ(listEntries("ListBox1"), icons);
    // Nine icons fill the eight slots of the strip.
    for (const char* name : kStrip)
        EXPECT_EQ(pane<PictureBox>(name)->picture().size(), QSize(8, 8)) << name;
    EXPECT_FALSE(pane<PictureBox>("Image8")->hasPicture());

    EXPECT_EQ(listEntries("ListBox2"), QStringList{QStringLiteral("thumb 0A 1B 2C 3D.jpg")});
    EXPECT_EQ(pane<ListBox>("ListBox2")->currentRow(), 0);
    EXPECT_EQ(pane<PictureBox>("Image7")->picture().size(), QSize(40, 30));
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("Satellite test card"));
    EXPECT_EQ(test::readFile(folder / "thumb 0A 1B 2C 3D.jpg"), jpeg);
    EXPECT_EQ(listEntries("ListBox3"), QStringList{QStringLiteral("0A 1B 2C 3E")});
    EXPECT_EQ(pane<QLineEdit>("Edit1")->text(), QString::fromStdString(hexPath.string()));

    EXPECT_EQ(pane("Memo1")->height(), 113);
    for (const char* list : {"ListBox1", "ListBox2", "ListBox3"})
        EXPECT_FALSE(pane(list)->isHidden()) << list;

    clickEntry("ListBox3", 0);
    EXPECT_EQ(
        messages,
        QStringList{
            QStringLiteral(" Missing 1 frames from %1 in : thumb 0A 1B 2C 3E").arg(otherFrames)});
}

TEST_F(DecodedHexFile, ATypedMissingFileStopsAfterClearingThePanes) {
    form.panes().listAppend(ListPane::ListBox1, "icon01 02 03 04 .bmp");
    form.panes().setDescription("old");
    form.panes().reportAppend("old report");
    const fs::path missing = folder / "nothere.HEX";
    chosenFile = QString::fromStdString(missing.string());
    form.OpenHEXfile1Click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("File not found")});
    for (const char* name : kStrip)
        EXPECT_FALSE(pane<PictureBox>(name)->hasPicture()) << name;
    EXPECT_FALSE(pane<PictureBox>("Image7")->hasPicture());
    EXPECT_FALSE(pane<PictureBox>("Image8")->hasPicture());
    for (const char* list : {"ListBox1", "ListBox2", "ListBox3"})
        EXPECT_TRUE(listEntries(list).isEmpty()) << list;
    EXPECT_TRUE(pane<QLabel>("Label4")->text().isEmpty());
    EXPECT_EQ(pane<QLineEdit>("Edit1")->text(), QString::fromStdString(missing.string()));
    EXPECT_EQ(reportLines(), std::vector<std::string>{"old report"});
}

TEST_F(DecodedHexFile, ClicksOnTheListsShowWhatTheyName) {
    open();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();

    clickEntry("ListBox1", 8);
    EXPECT_EQ(pane<PictureBox>("Image8")->picture().size(), QSize(8, 8));
    for (const char* name : kStrip)
        EXPECT_FALSE(pane<PictureBox>(name)->hasPicture()) << name;

    form.panes().setDescription("something else");
    form.apaga();
    clickEntry("ListBox2", 0);
    EXPECT_EQ(pane<PictureBox>("Image7")->picture().size(), QSize(40, 30));
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("Satellite test card"));

    form.panes().setDescription("other");
    test::click(pane("Label4"), QPoint(2, 2));
    EXPECT_EQ(pane<QLabel>("Label4")->text(), QStringLiteral("Satellite test card"));

    form.Label1Click();
    form.findChild<QAction*>(QStringLiteral("Allreceivedicons1"))->trigger();
    EXPECT_EQ(listEntries("ListBox1").size(), 9);
    EXPECT_EQ(pane("Memo1")->height(), 113);
    form.findChild<QAction*>(QStringLiteral("humbnails1"))->trigger();
    EXPECT_EQ(listEntries("ListBox2"), QStringList{QStringLiteral("thumb 0A 1B 2C 3D.jpg")});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace zelto
