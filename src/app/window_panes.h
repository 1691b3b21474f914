#pragma once

#include "app/command_progress.h"
#include "app/report_pane.h"
#include "core/panes.h"

#include <QString>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace zelto {

class ListBox;
class PictureBox;

// The widgets of the main window that the core writes to.
struct PaneWidgets {
    QWidget* window = nullptr;
    QPlainTextEdit* memo1 = nullptr;
    std::array<ListBox*, 3> lists{}; // ListBox1, ListBox2, ListBox3
    QLabel* label4 = nullptr;
    QLabel* label6 = nullptr; // what the preview in Image7 shows, beside it
    QLineEdit* edit1 = nullptr;
    // In the order of the PicturePane enumeration.
    std::array<PictureBox*, 10> pictures{};
};

// The main window as the core sees it.
class WindowPanes : public Panes {
  public:
    WindowPanes(const PaneWidgets& widgets, std::function<void(const QString&)> showMessage);

    void reportClear() override;
    void reportAppend(std::string_view line) override;
    void reportAppendToLast(std::string_view text) override;
    std::vector<std::string> reportLines() const override;

    void listClear(ListPane list) override;
    void listAppend(ListPane list, std::string_view entry) override;
    void listSelectLast(ListPane list) override;
    bool listHas(ListPane list, std::string_view entry) const override;
    void listRemove(ListPane list, std::string_view entry) override;

    void setDescription(std::string_view text) override;
    void setFileField(std::string_view text) override;

    void showPicture(PicturePane pane, const std::filesystem::path& file,
                     std::string_view listedName) override;
    void clearPicture(PicturePane pane) override;

    void normalLayout() override;
    void repaint() override;
    void message(std::string_view text) override;
    void progress(std::string_view stage, long done, long total) override;

    // Around every command: a long one shows its progress.
    void beginCommand() { progress_.begin(); }
    void endCommand();
    // What the report has been given shows now, in the middle of a command.
    void flushReport() { report_.flush(); }
    // The report pane holds at most this many of its most recent lines.
    void keepLastReportLines(int count) { report_.keepLast(count); }

    PictureBox* picture(PicturePane pane) const;
    ListBox* list(ListPane pane) const;

  private:
    void forgetPreview(PicturePane pane);

    PaneWidgets widgets_;
    std::function<void(const QString&)> showMessage_;
    mutable ReportPane report_;
    CommandProgress progress_;
};

// Label4 sizes itself to its text; its height stays 13.
void setAutoWidthText(QLabel* label, const QString& text);

} // namespace zelto
