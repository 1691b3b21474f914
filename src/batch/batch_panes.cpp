// The panes of the batch tool: the report on standard output, messages and progress on standard
// error.
#include "batch/batch_panes.h"

#include "batch/fd_write.h"
#include "batch/progress_line.h"
#include "picture/picture.h"

#include <algorithm>
#include <utility>

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

namespace {
constexpr std::size_t kBlockBytes = 1 << 20;
}

void BatchPanes::reportClear() {
    memo1_.clear();
    reportCleared_ = true;
}

void BatchPanes::reportAppend(std::string_view line) {
    if (memo1_.empty() || memo1_.back().size() + line.size() >= kBlockBytes) {
        memo1_.emplace_back();
        memo1_.back().reserve(std::max(kBlockBytes, line.size() + 1));
    }
    memo1_.back().append(line);
    memo1_.back().push_back('\n');
    if (isFrameLine(line))
        progress_.frameDecoded();
}

void BatchPanes::reportAppendToLast(std::string_view text) {
    if (memo1_.empty())
        memo1_.emplace_back("\n");
    std::string& block = memo1_.back();
    block.insert(block.size() - 1, text);
}

std::vector<std::string_view> BatchPanes::reportBlocks() const {
    return {memo1_.begin(), memo1_.end()};
}

std::vector<std::string> BatchPanes::reportLines() const {
    std::vector<std::string> lines;
    for (const std::string& block : memo1_)
        for (std::size_t start = 0; start < block.size();) {
            const std::size_t end = block.find('\n', start);
            lines.emplace_back(block, start, end - start);
            start = end + 1;
        }
    return lines;
}

std::vector<std::string>* BatchPanes::listOf(ListPane list) {
    return const_cast<std::vector<std::string>*>(std::as_const(*this).listOf(list));
}

const std::vector<std::string>* BatchPanes::listOf(ListPane list) const {
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

bool BatchPanes::listHas(ListPane list, std::string_view entry) const {
    const auto* entries = listOf(list);
    return entries && std::find(entries->begin(), entries->end(), entry) != entries->end();
}

void BatchPanes::listRemove(ListPane list, std::string_view entry) {
    auto* entries = listOf(list);
    if (!entries)
        return;
    if (const auto it = std::find(entries->begin(), entries->end(), entry); it != entries->end())
        entries->erase(it);
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
