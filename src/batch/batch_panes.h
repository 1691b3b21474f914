#pragma once

#include "core/panes.h"

#include <string>
#include <vector>

namespace zelto {

class ProgressLine;

// The window's panes without a window: keeps what the batch decoder prints (the report
// pane Memo1, ListBox2 and ListBox3), decodes every picture the window would show so that
// a command stops where the window's would, and forwards progress to the terminal.
class BatchPanes : public Panes {
  public:
    explicit BatchPanes(ProgressLine& progress) : progress_(progress) {}

    const std::vector<std::string>& imageFiles() const { return listBox2_; }
    const std::vector<std::string>& incompleteIds() const { return listBox3_; }
    // Whether the report pane has been emptied since the last forgetReportCleared().
    bool reportWasCleared() const { return reportCleared_; }
    void forgetReportCleared() { reportCleared_ = false; }

    void reportClear() override;
    void reportAppend(std::string_view line) override;
    void reportAppendToLast(std::string_view text) override;
    std::vector<std::string> reportLines() const override;
    // The report pane's lines, each with an LF end, in blocks of about a megabyte.
    std::vector<std::string_view> reportBlocks() const;

    void listClear(ListPane list) override;
    void listAppend(ListPane list, std::string_view entry) override;
    bool listHas(ListPane list, std::string_view entry) const override;
    void listRemove(ListPane list, std::string_view entry) override;

    void showPicture(PicturePane pane, const std::filesystem::path& file,
                     std::string_view listedName) override;

    void message(std::string_view text) override;

    void progress(std::string_view stage, long done, long total) override;

  private:
    std::vector<std::string>* listOf(ListPane list);
    const std::vector<std::string>* listOf(ListPane list) const;

    ProgressLine& progress_;
    // Blocks of lines rather than a string per line, since a day's capture lists tens of
    // thousands; and not one growing block, which would be copied each time it grows.
    std::vector<std::string> memo1_;
    std::vector<std::string> listBox2_;
    std::vector<std::string> listBox3_;
    bool reportCleared_ = false;
};

} // namespace zelto
