#pragma once

#include "core/durable_writes.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zelto {

// The hidden list Memo4: the image folders of the thumbnails met in the current pass,
// each once, in the order first met. Names are compared without regard to letter case.
class ThumbFolderList {
  public:
    // Adds the name unless an equal name (letter case ignored) is listed already.
    void note(std::string_view folderName);
    const std::vector<std::string>& entries() const { return entries_; }
    void reset();

  private:
    std::vector<std::string> entries_;
    std::unordered_set<std::string> keys_;
};

// What the main window holds between commands besides its panes.
struct Session {
    std::filesystem::path workFolder;
    std::string currentImageId;
    ThumbFolderList memo4;          // thumbnail folders met in the last pass
    std::vector<std::string> memo5; // thumbnail folders assembled in the pass, to be removed
    std::vector<std::string> memo2; // puzzle folders found by the last Puzzles > Decode
    std::string lastPuzzleId;       // the most recently assembled puzzle since start-up

    // The frame files written since forgetWrittenFrames(), by path, with their bytes: an
    // image whose frames came in that time is joined from here rather than by reading each
    // file back. The window forgets them before every command, since other programs may
    // change the store between commands; the batch tool, the store's one writer while it
    // runs, keeps them for its whole run.
    std::unordered_map<std::string, std::string> writtenFrames;
    void forgetWrittenFrames() { writtenFrames.clear(); }

    // The files written by the command in progress, on their way to their names; every
    // command ends with writes.finish().
    DurableWrites writes;

    // Memo4 and Memo5 back to their sentinel lines alone.
    void resetHiddenLists();
};

} // namespace zelto
