// The panes of a live session without a window: report lines and joined images on standard output.
#include "batch/live_panes.h"

#include "batch/buffered_output.h"
#include "batch/fd_write.h"
#include "picture/picture.h"

#include <algorithm>

namespace zelto {

void LivePanes::writeLine(std::string_view first, std::string_view second) {
    out_.write(first);
    out_.write(second);
    out_.write("\n");
}

void LivePanes::reportAppend(std::string_view line) {
    writeLine(line);
}

void LivePanes::reportAppendToLast(std::string_view text) {
    writeLine(text);
}

void LivePanes::listClear(ListPane list) {
    if (list == ListPane::ListBox3)
        incomplete_.clear();
}

void LivePanes::listAppend(ListPane list, std::string_view entry) {
    if (list == ListPane::ListBox2)
        writeLine("Image: ", entry);
    else if (list == ListPane::ListBox3)
        incomplete_.emplace_back(entry);
}

bool LivePanes::listHas(ListPane list, std::string_view entry) const {
    return list == ListPane::ListBox3 &&
           std::find(incomplete_.begin(), incomplete_.end(), entry) != incomplete_.end();
}

void LivePanes::listRemove(ListPane list, std::string_view entry) {
    if (list != ListPane::ListBox3)
        return;
    if (const auto it = std::find(incomplete_.begin(), incomplete_.end(), entry);
        it != incomplete_.end())
        incomplete_.erase(it);
}

void LivePanes::showPicture(PicturePane, const std::filesystem::path& file,
                            std::string_view listedName) {
    loadPicture(file, listedName);
}

void LivePanes::message(std::string_view text) {
    out_.flush();
    writeErrorLine(text);
}

} // namespace zelto
