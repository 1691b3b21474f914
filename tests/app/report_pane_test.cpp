#include "app/report_pane.h"
#include "support/widget_app.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace zelto {
namespace {

using Lines = std::vector<std::string>;

class ReportPaneTest : public test::WidgetTest {
  protected:
    ReportPaneTest() {}
    QPlainTextEdit edit;
    ReportPane pane{&edit};
};

TEST_F(ReportPaneTest, LinesWaitUntilTheyAreFlushedOrRead) {
    pane.append("Text.   ID : 0A 1B 2C 3D  hello");
    pane.append("Icon.   ID : 01 02 03 04  Size = 3 bytes");
    EXPECT_TRUE(edit.document()->isEmpty());
    EXPECT_EQ(pane.lines(), (Lines{"Text.   ID : 0A 1B 2C 3D  hello",
                                   "Icon.   ID : 01 02 03 04  Size = 3 bytes"}));
    EXPECT_EQ(edit.document()->blockCount(), 2);
    pane.append("third");
    pane.flush();
    EXPECT_EQ(edit.document()->blockCount(), 3);
    EXPECT_EQ(edit.document()->lastBlock().text(), QStringLiteral("third"));
}

TEST_F(ReportPaneTest, EmptyPaneAndEmptyLines) {
    EXPECT_EQ(pane.lines(), Lines{});
    pane.append("");
    EXPECT_EQ(pane.lines(), Lines{""});
    pane.append("");
    pane.append("x");
    EXPECT_EQ(pane.lines(), (Lines{"", "", "x"}));
    pane.clear();
    EXPECT_EQ(pane.lines(), Lines{});
    EXPECT_TRUE(edit.document()->isEmpty());
}

TEST_F(ReportPaneTest, AppendToLastExtendsTheLastLineWhereverItIs) {
    pane.appendToLast("a");
    EXPECT_EQ(pane.lines(), Lines{"a"});
    pane.appendToLast("b");
    pane.append("c");
    pane.appendToLast("d");
    EXPECT_EQ(pane.lines(), (Lines{"ab", "cd"}));
    pane.clear();
    pane.append("pending");
    pane.clear();
    EXPECT_EQ(pane.lines(), Lines{});
}

TEST_F(ReportPaneTest, KeepsTheBytesOfTheLines) {
    const std::string line = "Text.   ID : 0A 1B 2C 3D  sat\xE9lite \x80 \x81\xFF";
    pane.append(line);
    EXPECT_EQ(pane.lines(), Lines{line});
    // A line end inside a line would make two lines of it.
    pane.append("one\rtwo\nthree");
    EXPECT_EQ(pane.lines(), (Lines{line, "one two three"}));
}

TEST_F(ReportPaneTest, TakesTensOfThousandsOfLinesInOneBlock) {
    for (int i = 0; i < 30000; ++i)
        pane.append(
            "Thumbn. ID : 0A 1B 2C 3D  Size = 2000 bytes in 11 frames. Rem.= 0  Frame # = " +
            std::to_string(i));
    const Lines lines = pane.lines();
    ASSERT_EQ(lines.size(), 30000u);
    EXPECT_EQ(lines.front().substr(lines.front().size() - 1), "0");
    EXPECT_EQ(lines.back().substr(lines.back().size() - 5), "29999");
}

} // namespace
} // namespace zelto
