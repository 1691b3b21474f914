#include "app/about_window.h"
#include "app/help_text.h"
#include "app/help_window.h"
#include "live/text_codec.h"
#include "support/widget_app.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace zelto {
namespace {

// Lines of the first help text that still hold, as Windows-1252 bytes.
const char* const kKeptLines[] = {
    "Decodes the images (icons and thumbnails) contained in the 4800 Bd GMSK GOMX1 data beacon ",
    "from the ATHENOXAT-1 satellite.",
    "Frames of incompletely received images are saved in the Thumbs or Puzzles folders",
    "\"Open .HEX file\" allows you to decode a *.HEX file. (created from \"Open .KSS\" or \"Open "
    ".txt\")",
    "A log file, ThumbList.txt, with ID and description will be created and updated in the same "
    "folder.",
    "\xA0   Note: this is an experimental program.",
    "Decodifica o beacon de dados a 4800 Bd GMSK GOMX1 do sat\xE9lite ATHENOXAT-1.",
    "Arquivos *.HEX cont\xE9m dados na forma hexadecimal. (n\xE3o KISS)(cada linha inicia com 00 "
    "00 )",
    "\"Open .HEX file\" permite decodificar um arquivo *.HEX gerado pelas op\xE7\xF5"
    "es anteriores.",
    "   Obs. : este \xE9 um programa experimental.                        73 de Zoravel QG9MCE",
};

std::vector<std::string> helpBytes() {
    std::vector<std::string> lines;
    for (const QString& line : helpTextLines())
        lines.push_back(toWindows1252(line));
    return lines;
}

std::size_t indexOf(const std::vector<std::string>& lines, std::string_view start) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(start))
            return i;
    return lines.size();
}

TEST(HelpText, EnglishThenPortugueseInWindows1252) {
    const std::vector<std::string> lines = helpBytes();
    const QStringList text = helpTextLines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(fromWindows1252(lines[i]), text[static_cast<qsizetype>(i)]) << "line " << i + 1;
    for (const char* kept : kKeptLines)
        EXPECT_NE(std::find(lines.begin(), lines.end(), kept), lines.end()) << kept;
    // The English note, three empty lines, the Portuguese text; one empty line at each end.
    const std::size_t note = indexOf(lines, "\xA0   Note");
    ASSERT_LT(note + 4, lines.size());
    EXPECT_EQ(lines[note + 1] + lines[note + 2] + lines[note + 3], "");
    EXPECT_TRUE(lines[note + 4].starts_with("Decodifica"));
    EXPECT_EQ(lines.front(), "");
    EXPECT_EQ(lines.back(), "");
    EXPECT_TRUE(lines[lines.size() - 2].ends_with("73 de Zoravel QG9MCE"));
}

TEST(HelpText, TellsOfTheProgramAsItIsOnLinux) {
    const QString text = helpTextLines().join(QLatin1Char('\n'));
    for (const char* gone : {".exe", "Winsock"})
        EXPECT_FALSE(text.contains(QLatin1String(gone))) << gone;
    for (const char* told : {"working folder", "pasta de trabalho", "Connect to KISS server",
                             "Station settings", "Open SatNOGS frames file",
                             "Fetch frames from SatNOGS DB", "preview", "kiss-YYYY-MM-DD.kss"})
        EXPECT_TRUE(text.contains(QLatin1String(told))) << told;
}

TEST(HelpText, BlanksAndLettersThatAreEasyToLose) {
    const std::vector<std::string> lines = helpBytes();
    // The note: a no-break space, then three blanks.
    EXPECT_NE(indexOf(lines, "\xA0   Note: "), lines.size());
    // Trailing blanks, one each.
    for (const char* start : {"Decodes the images", "Ser\xE3o listados"}) {
        const std::string& line = lines[indexOf(lines, start)];
        EXPECT_TRUE(line.ends_with(" ") && !line.ends_with("  ")) << start;
    }
    // The last line: three leading blanks, 24 blanks before "73".
    const std::string& last = lines[indexOf(lines, "   Obs. ")];
    EXPECT_NE(last.find("experimental." + std::string(24, ' ') + "73 de"), std::string::npos);
    EXPECT_EQ(last.find(std::string(25, ' ')), std::string::npos);
}

class HelpWindow : public test::WidgetTest {
  protected:
    HelpWindow() : help(&main) {}
    QStringList paneLines() {
        QStringList lines;
        for (QTextBlock b = memo()->document()->begin(); b.isValid(); b = b.next())
            lines << b.text();
        return lines;
    }
    QPlainTextEdit* memo() { return help.findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }
    QWidget main;
    TForm3 help;
};

TEST_F(HelpWindow, ToolWindowWithTheTextPane) {
    EXPECT_EQ(help.objectName(), QStringLiteral("Form3"));
    EXPECT_EQ(help.windowTitle(), QStringLiteral(" Help"));
    EXPECT_TRUE(help.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(help.size(), QSize(591, 470));
    EXPECT_EQ(help.minimumSize(), help.maximumSize());
    ASSERT_NE(memo(), nullptr);
    EXPECT_EQ(memo()->geometry(), QRect(8, 8, 569, 449));
    EXPECT_FALSE(memo()->isReadOnly());
    EXPECT_EQ(memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo()->font().pointSize(), 8);
    EXPECT_FALSE(help.isVisible());
}

TEST_F(HelpWindow, ShowingBuildsTheTextAgain) {
    help.show();
    EXPECT_EQ(paneLines(), helpTextLines());
    memo()->appendPlainText(QStringLiteral("typed by the operator"));
    memo()->document()->firstBlock();
    EXPECT_EQ(paneLines().size(), helpTextLines().size() + 1);
    help.close();
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(paneLines(), helpTextLines());
    EXPECT_EQ(paneLines().size(), helpTextLines().size());
    EXPECT_EQ(memo()->textCursor().position(), 0);
}

class AboutWindow : public test::WidgetTest {
  protected:
    AboutWindow() : about(&main) {}
    QLabel* text(const char* name) { return about.findChild<QLabel*>(QString::fromLatin1(name)); }
    QWidget main;
    TForm2 about;
};

TEST_F(AboutWindow, CreditsPanel) {
    EXPECT_EQ(about.objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral(" About"));
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::Tool));
    auto* panel = about.findChild<QWidget*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(16, 16, 321, 113));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::white));
    const std::vector<std::pair<const char*, QPoint>> places{
        {"StaticText1", {88, 24}}, {"StaticText2", {96, 48}}, {"StaticText3", {56, 72}}};
    for (const auto& [name, at] : places) {
        QLabel* label = text(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->parentWidget(), panel) << name;
        EXPECT_EQ(label->pos(), at) << name;
        EXPECT_EQ(label->height(), 17) << name;
        EXPECT_LE(label->geometry().right(), panel->width() - 3) << name;
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
    }
    EXPECT_TRUE(text("StaticText1")->text().contains(QStringLiteral("QG9MCE")));
    EXPECT_TRUE(text("StaticText3")->text().endsWith(QStringLiteral("for help as beta tester")));
}

TEST_F(AboutWindow, TheLinkOpensTheAddressItShows) {
    QLabel* link = text("StaticText2");
    EXPECT_EQ(link->text(), TForm2::authorPage());
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QList<QUrl> opened;
    about.openUrlHook = [&](const QUrl& url) { opened << url; };
    test::click(link, QPoint(4, 4));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), link->text());
}

TEST_F(AboutWindow, ClosingHidesItForShowingAgain) {
    about.show();
    about.close();
    EXPECT_FALSE(about.isVisible());
    about.show();
    EXPECT_TRUE(about.isVisible());
}

} // namespace
} // namespace zelto
