#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

enum class ListPane { ListBox1, ListBox2, ListBox3 };

// The ten picture panes: the icon strip in its left-to-right order, then the two viewers.
enum class PicturePane {
    Image1,
    Image2,
    Image3,
    Image4,
    Image5,
    Image6,
    Image9,
    Image10,
    Image7,
    Image8
};

// What the core may do to the window. The window (TForm1), the batch tool and the
// tests each implement it. Text is passed as raw bytes, as it stands in the files. What every
// front must give is pure; what only a window shows does nothing unless a front shows it.
class Panes {
  public:
    virtual ~Panes() = default;

    // Report pane Memo1.
    virtual void reportClear() {}
    virtual void reportAppend(std::string_view line) = 0;
    virtual void reportAppendToLast(std::string_view text) = 0;
    virtual std::vector<std::string> reportLines() const { return {}; }

    // ListBox1 (icon files), ListBox2 (image files), ListBox3 (incomplete thumbnails).
    virtual void listClear(ListPane list) = 0;
    virtual void listAppend(ListPane list, std::string_view entry) = 0;
    // Selects the last entry from code: no click handler runs.
    virtual void listSelectLast(ListPane /*list*/) {}
    // For a list kept up to date entry by entry: whether it holds the text, and removing the
    // first entry that does (from code: no click handler runs).
    virtual bool listHas(ListPane list, std::string_view entry) const = 0;
    virtual void listRemove(ListPane list, std::string_view entry) = 0;

    virtual void setDescription(std::string_view /*text*/) {} // Label4
    virtual void setFileField(std::string_view /*text*/) {}   // Edit1

    // Loads a picture file into a pane; throws RunError when it cannot be shown
    // ("Cannot open file %s" with listedName, "Bitmap image is not valid", "JPEG error #%d").
    virtual void showPicture(PicturePane pane, const std::filesystem::path& file,
                             std::string_view listedName) = 0;
    virtual void clearPicture(PicturePane /*pane*/) {}

    // Memo1 113 pixels high and the three lists visible.
    virtual void normalLayout() {}
    // Draws the window now, in the middle of a command.
    virtual void repaint() {}
    // A modal message with an OK button.
    virtual void message(std::string_view text) = 0;

    // Progress of a long command: what it does and how far it is (total 0 when unknown).
    virtual void progress(std::string_view /*stage*/, long /*done*/, long /*total*/) {}
};

// A command reading a file reports its progress once per this many bytes.
inline constexpr long kProgressStep = 1L << 20;

// The icon strip shows this many icons.
inline constexpr std::size_t kIconStripSlots = 8;

// Empties all ten picture panes.
void apaga(Panes& panes);

// The strip slot for the n-th icon of a pass (1 to 8), or nullptr-like false past the eighth.
bool iconStripSlot(int iconCount, PicturePane& slot);

} // namespace zelto
