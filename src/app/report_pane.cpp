// The report pane Memo1: lines appended, read back and bounded.
#include "app/report_pane.h"

#include "live/text_codec.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstring>

namespace zelto {

namespace {

// A line end inside a line would split it into two pane lines.
QString paneText(std::string_view bytes) {
    QString text = fromWindows1252(bytes);
    if (std::memchr(bytes.data(), '\r', bytes.size()) ||
        std::memchr(bytes.data(), '\n', bytes.size()))
        for (QChar& c : text)
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
    return text;
}

} // namespace

void ReportPane::clear() {
    pending_.clear();
    pendingBytes_ = 0;
    holdsLines_ = false;
    edit_->clear();
}

void ReportPane::append(std::string_view line) {
    line = line.substr(0, kLongestLine);
    pending_.emplace_back(line);
    // A capture of tens of thousands of frames goes in by the megabyte, so that the lines
    // are never held twice at once, waiting and in the pane.
    pendingBytes_ += line.size();
    if (pendingBytes_ >= kFlushBytes)
        flush();
}

void ReportPane::appendToLast(std::string_view text) {
    if (!pending_.empty()) {
        pending_.back().append(text);
        return;
    }
    if (!holdsLines_ && edit_->document()->isEmpty()) {
        pending_.emplace_back(text);
        return;
    }
    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(paneText(text));
}

void ReportPane::flush() {
    if (pending_.empty())
        return;
    QString block;
    std::size_t size = 0;
    for (const auto& line : pending_)
        size += line.size() + 1;
    block.reserve(static_cast<qsizetype>(size));
    const bool startsPane = !holdsLines_ && edit_->document()->isEmpty();
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (i > 0 || !startsPane)
            block.append(QLatin1Char('\n'));
        block.append(paneText(pending_[i]));
    }
    pending_.clear();
    pendingBytes_ = 0;
    holdsLines_ = true;

    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(block);
    // Like a growing log: the newest lines come into view, from their first column.
    edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
    edit_->horizontalScrollBar()->setValue(0);
}

void ReportPane::keepLast(int count) {
    flush();
    QTextDocument* document = edit_->document();
    const int excess = document->blockCount() - count;
    if (excess <= 0)
        return;
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, excess);
    cursor.removeSelectedText();
}

std::vector<std::string> ReportPane::lines() {
    flush();
    std::vector<std::string> result;
    const QTextDocument* document = edit_->document();
    if (!holdsLines_ && document->isEmpty())
        return result;
    result.reserve(static_cast<std::size_t>(document->blockCount()));
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        result.push_back(toWindows1252(b.text()));
    return result;
}

} // namespace zelto
