#pragma once

#include "core/panes.h"

#include <chrono>
#include <string>

namespace zelto {

// The panes as a live session writes to them. Each report line begins with the UTC time at
// which its frame was received ("10:56:02 "), an image joined adds the line "Image: NAME", and
// a name already in a list is not listed again: a session hears the same frames pass after
// pass, and their files are only replaced.
class SessionPanes : public Panes {
  public:
    explicit SessionPanes(Panes& window) : window_(window) {}

    // The time of reception of the frames decoded from now on.
    void setReceived(std::chrono::system_clock::time_point received);

    // "10:56:02 ": the UTC time of day, as a report line of a live session begins.
    static std::string timeOfDay(std::chrono::system_clock::time_point time);
    // The line without the time a live session put before it: lines are read back by the
    // position of their fields.
    static std::string_view withoutTime(std::string_view line);

    void reportClear() override { window_.reportClear(); }
    void reportAppend(std::string_view line) override;
    void reportAppendToLast(std::string_view text) override { window_.reportAppendToLast(text); }
    std::vector<std::string> reportLines() const override { return window_.reportLines(); }

    void listClear(ListPane list) override { window_.listClear(list); }
    void listAppend(ListPane list, std::string_view entry) override;
    void listSelectLast(ListPane list) override { window_.listSelectLast(list); }
    bool listHas(ListPane list, std::string_view entry) const override {
        return window_.listHas(list, entry);
    }
    void listRemove(ListPane list, std::string_view entry) override {
        window_.listRemove(list, entry);
    }

    void setDescription(std::string_view text) override { window_.setDescription(text); }
    void setFileField(std::string_view text) override { window_.setFileField(text); }
    void showPicture(PicturePane pane, const std::filesystem::path& file,
                     std::string_view listedName) override {
        window_.showPicture(pane, file, listedName);
    }
    void clearPicture(PicturePane pane) override { window_.clearPicture(pane); }
    void normalLayout() override { window_.normalLayout(); }
    void repaint() override { window_.repaint(); }
    void message(std::string_view text) override { window_.message(text); }

  private:
    Panes& window_;
    std::string time_ = "00:00:00 ";
};

} // namespace zelto
