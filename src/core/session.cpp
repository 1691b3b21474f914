// What the main window holds between commands: the hidden lists.
#include "core/session.h"

#include "core/text.h"

namespace zelto {

void ThumbFolderList::note(std::string_view folderName) {
    if (keys_.insert(toUpperAscii(folderName)).second)
        entries_.emplace_back(folderName);
}

void ThumbFolderList::reset() {
    entries_.clear();
    keys_.clear();
}

void Session::resetHiddenLists() {
    memo4.reset();
    memo5.clear();
}

} // namespace zelto
