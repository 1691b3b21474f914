#pragma once

#include "core/file_io.h"
#include "core/panes.h"
#include "core/session.h"
#include "decode/frame_fields.h"
#include "store/description_log.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zelto {

// What decoding one HEX line did.
struct DecodedFrame {
    FrameType type = FrameType::None;
    std::string iconFile;    // an icon frame's file, as ListBox1 lists it
    std::string imageFolder; // an image frame's folder under Thumbs or Puzzles
    // What became of the image frame's file: made, replaced by other bytes, or left alone.
    FileWrite frameFile = FileWrite::Unchanged;
};

// The work of the decoding pass on one HEX line: the report line, the icon file and its
// ListBox1 entry, the description log, the frame file in the store and Memo4. Showing icons
// and joining images is the driver's: a file pass and a live session do it differently.
class FrameDecoder {
  public:
    FrameDecoder(Session& session, Panes& panes);

    // Throws RunError where the line's fields do not read or a file cannot be written; what
    // was done before stays done.
    DecodedFrame decode(std::string_view line);
    bool anyValidFrame() const { return anyValidFrame_; }

    // Forgets which image folders exist and the frames written, for a driver that outlives a
    // command: the store may change under it (its own joins, other commands, other programs).
    void forgetStore();
    // The same for one thumbnail folder, removed once its thumbnail was joined.
    void forgetThumbnailFolder(const std::string& folderName);

  private:
    void textFrame(std::string_view line);
    void iconFrame(std::string_view line, DecodedFrame& decoded);
    void imageFrame(std::string_view line, FrameType type, DecodedFrame& decoded);
    FileWrite storeFrame(const std::string& folder, std::string path, std::string payload);

    Session& session_;
    Panes& panes_;
    DescriptionLog log_;
    bool anyValidFrame_ = false;
    // Paths as plain strings, each ending in "/": joined per frame without splitting.
    const std::string workFolder_;
    const std::string thumbs_;
    const std::string puzzles_;
    std::unordered_set<std::string> knownFolders_;
    std::unordered_set<std::string> newFolders_;        // made by this decoder
    std::unordered_map<std::string, int> folderErrors_; // why a folder could not be made
};

} // namespace zelto
