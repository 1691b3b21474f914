#pragma once

#include "core/panes.h"

#include <string>
#include <vector>

namespace zelto {

class BufferedOutput;

// The panes of a live session without a window: the report lines, and each image joined as
// "Image: " and its file name. The session flushes them after the frames of each read from
// the server, so that a pipe or the journal shows them as the frames come. Pictures are read as the
// window would read them, so that a frame fails where the window's would.
class LivePanes : public Panes {
  public:
    explicit LivePanes(BufferedOutput& out) : out_(out) {}

    void reportAppend(std::string_view line) override;
    void reportAppendToLast(std::string_view text) override;

    void listClear(ListPane list) override;
    void listAppend(ListPane list, std::string_view entry) override;
    bool listHas(ListPane list, std::string_view entry) const override;
    void listRemove(ListPane list, std::string_view entry) override;

    void showPicture(PicturePane pane, const std::filesystem::path& file,
                     std::string_view listedName) override;
    void message(std::string_view text) override;

  private:
    void writeLine(std::string_view first, std::string_view second = {});

    BufferedOutput& out_;
    std::vector<std::string> incomplete_; // ListBox3, which the session keeps up to date
};

} // namespace zelto
