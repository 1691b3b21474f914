#include "batch/batch_panes.h"

#include "batch/fd_write.h"
#include "batch/progress_line.h"
#include "decode/picture.h"

namespace zelto {

namespace {
// Report lines of the decoding pass that stand for one decoded frame.
bool isFrameLine(std::string_view line) {
    for (std::string_view prefix :
         {"Text.   ID : ", "Icon.   ID : ", "Thumbn. ID : ", "Puzzle. ID : "})
        if (line.starts_with(prefix))
            return true;
    return false;
}
} // namespace

void BatchPanes::reportClear() {
    memo1_.clear();
    reportCleared_ = true;
}

void BatchPanes::reportAppend(std::string_view line) {
    memo1_.append(line);
    memo1_.push_back('\n');
    if (isFrameLine(line))
        progress_.frameDecoded();
}

void BatchPanes::reportAppendToLast(std::string_view text) {
    if (memo1_.empty())
        memo1_.push_back('\n');
    memo1_.insert(memo1_.size() - 1, text);
}

std::vector<std::string> BatchPanes::reportLines() const {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < memo1_.size();) {
        const std::size_t end = memo1_.find('\n', start);
        lines.emplace_back(memo1_, start, end - start);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string>* BatchPanes::listOf(ListPane list) {
    switch (list) {
    case ListPane::ListBox2:
        return &listBox2_;
    case ListPane::ListBox3:
        return &listBox3_;
    case ListPane::ListBox1:
        break; // icons are not printed: nothing to keep
    }
    return nullptr;
}

void BatchPanes::listClear(ListPane list) {
    if (auto* entries = listOf(list))
        entries->clear();
}

void BatchPanes::listAppend(ListPane list, std::string_view entry) {
    if (auto* entries = listOf(list))
        entries->emplace_back(entry);
}

void BatchPanes::showPicture(PicturePane, const std::filesystem::path& file,
                             std::string_view listedName) {
    // Decoded as the window would, and thrown away: only the failure matters here.
    loadPicture(file, listedName);
}

void BatchPanes::message(std::string_view text) {
    // The commands the batch decoder runs show no message box; should one appear all the
    // same, it goes where an operator would see it.
    progress_.clear();
    writeErrorLine(text);
}

void BatchPanes::progress(std::string_view stage, long done, long total) {
    progress_.commandProgress(stage, done, total);
}

} // namespace zelto
