// The pane operations of the core, done on the main window's widgets.
#include "app/window_panes.h"

#include "app/list_box.h"
#include "app/picture_box.h"
#include "app/session_panes.h"
#include "live/text_codec.h"
#include "picture/picture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace zelto {

namespace {
constexpr int kReportHeight = 113;
}

WindowPanes::WindowPanes(const PaneWidgets& widgets,
                         std::function<void(const QString&)> showMessage)
    : widgets_(widgets), showMessage_(std::move(showMessage)), report_(widgets.memo1),
      progress_(widgets.window) {}

void WindowPanes::reportClear() {
    report_.clear();
}

void WindowPanes::reportAppend(std::string_view line) {
    report_.append(line);
}

void WindowPanes::reportAppendToLast(std::string_view text) {
    report_.appendToLast(text);
}

// Lines are read back by the position of their fields: the time before a live session's
// lines is not part of them.
std::vector<std::string> WindowPanes::reportLines() const {
    std::vector<std::string> lines = report_.lines();
    for (std::string& line : lines)
        if (const std::string_view rest = SessionPanes::withoutTime(line);
            rest.size() != line.size())
            line = std::string(rest);
    return lines;
}

ListBox* WindowPanes::list(ListPane pane) const {
    return widgets_.lists[static_cast<std::size_t>(pane)];
}

void WindowPanes::listClear(ListPane pane) {
    list(pane)->clear();
}

void WindowPanes::listAppend(ListPane pane, std::string_view entry) {
    list(pane)->addItem(fromWindows1252(entry));
}

void WindowPanes::listSelectLast(ListPane pane) {
    list(pane)->selectLastQuietly();
}

bool WindowPanes::listHas(ListPane pane, std::string_view entry) const {
    return list(pane)->contains(fromWindows1252(entry));
}

void WindowPanes::listRemove(ListPane pane, std::string_view entry) {
    list(pane)->removeRowQuietly(list(pane)->rowOf(fromWindows1252(entry)));
}

void WindowPanes::setDescription(std::string_view text) {
    setAutoWidthText(widgets_.label4, fromWindows1252(text));
}

// The field names files, so it shows them in the file system's encoding.
void WindowPanes::setFileField(std::string_view text) {
    widgets_.edit1->setText(
        QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size()))));
}

PictureBox* WindowPanes::picture(PicturePane pane) const {
    return widgets_.pictures[static_cast<std::size_t>(pane)];
}

void WindowPanes::showPicture(PicturePane pane, const std::filesystem::path& file,
                              std::string_view listedName) {
    picture(pane)->setPicture(loadPicture(file, listedName));
    forgetPreview(pane);
}

void WindowPanes::clearPicture(PicturePane pane) {
    picture(pane)->clearPicture();
    forgetPreview(pane);
}

// Label6 tells about the preview in Image7, so it goes with it.
void WindowPanes::forgetPreview(PicturePane pane) {
    if (pane == PicturePane::Image7 && widgets_.label6 != nullptr)
        widgets_.label6->clear();
}

void WindowPanes::normalLayout() {
    QPlainTextEdit* memo = widgets_.memo1;
    memo->resize(memo->width(), kReportHeight);
    for (ListBox* box : widgets_.lists)
        box->show();
}

void WindowPanes::repaint() {
    report_.flush();
    widgets_.window->repaint();
}

void WindowPanes::message(std::string_view text) {
    report_.flush();
    showMessage_(fromWindows1252(text));
}

void WindowPanes::progress(std::string_view stage, long done, long total) {
    progress_.report(stage, done, total);
}

void WindowPanes::endCommand() {
    progress_.end();
    report_.flush();
}

void setAutoWidthText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(text.isEmpty() ? 0 : label->sizeHint().width(), label->height());
}

} // namespace zelto
