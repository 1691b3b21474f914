#include "decode/decoding_pass.h"

#include "core/run_error.h"
#include "core/text.h"
#include "decode/description_log.h"
#include "decode/frame_fields.h"
#include "decode/report_lines.h"
#include "store/frame_store.h"
#include "store/thumbnail_assembly.h"

#include <cerrno>
#include <unordered_map>
#include <unordered_set>

namespace zelto {

namespace fs = std::filesystem;

namespace {

// What one pass keeps between its lines.
class Pass {
  public:
    Pass(Session& session, Panes& panes)
        : session_(session), panes_(panes), log_(session.workFolder / kLogName),
          workFolder_(session.workFolder.native() + "/"), thumbs_(workFolder_ + "Thumbs/"),
          puzzles_(workFolder_ + "Puzzles/") {}

    void handle(std::string_view line) {
        switch (classifyLine(line)) {
        case FrameType::Text:
            textFrame(line);
            break;
        case FrameType::Icon:
            iconFrame(line);
            break;
        case FrameType::Thumbnail:
            imageFrame(line, FrameType::Thumbnail);
            break;
        case FrameType::Puzzle:
            imageFrame(line, FrameType::Puzzle);
            break;
        case FrameType::None:
            return;
        }
        anyValidFrame_ = true;
    }

    bool anyValidFrame() const { return anyValidFrame_; }

  private:
    void textFrame(std::string_view line) {
        const TextFrame frame = readTextFrame(line);
        session_.currentImageId = frame.imageId;
        panes_.reportAppend(textReportLine(frame));
        log_.add(frame.imageId, frame.description);
    }

    void iconFrame(std::string_view line) {
        const IconFrame frame = readIconFrame(line);
        checkIconId(frame.iconId);
        panes_.reportAppend(iconReportLine(frame));
        const std::string name = "icon" + frame.iconId + ".bmp";
        writeWholeFile(workFolder_ + name, iconBitmap(line, frame));
        panes_.listAppend(ListPane::ListBox1, name);
        PicturePane slot;
        if (iconStripSlot(++iconCount_, slot))
            panes_.showPicture(slot, session_.workFolder / name, name);
    }

    void imageFrame(std::string_view line, FrameType type) {
        const ImageFrame frame = readImageFrame(line);
        checkImageFrameNames(frame);
        session_.currentImageId = frame.imageId;
        panes_.reportAppend(imageReportLine(type, frame));

        const std::string folderName = imageFolderName(frame.imageId, frame.frameCount);
        const std::string folder =
            (type == FrameType::Thumbnail ? thumbs_ : puzzles_) + folderName + "/";
        // A folder that cannot be made shows up when its frame file is written just below.
        if (knownFolders_.insert(folder).second) {
            std::error_code ec;
            if (fs::create_directory(folder, ec))
                newFolders_.insert(folder);
            else if (ec && ec.value() != EEXIST)
                folderErrors_.emplace(folder, ec.value());
        }
        if (type == FrameType::Thumbnail)
            session_.memo4.note(folderName);
        // Upper-case digits, so that the names the assembly builds from numbers always match.
        try {
            storeFrame(folder, folder + toUpperAscii(frame.frameNumberText) + ".bin",
                       imagePayload(line, frame));
        } catch (const RunError&) {
            // Without its folder the frame file is "File not found"; why the folder could not
            // be made (a full disk, say) is what the operator needs to hear.
            if (const auto failed = folderErrors_.find(folder); failed != folderErrors_.end())
                throwIoError(failed->second);
            throw;
        }
    }

    // Writes a frame file unless it holds these bytes already. What this run wrote is known
    // without asking the file system, and a folder made by this pass holds nothing else.
    void storeFrame(const std::string& folder, std::string path, std::string payload) {
        auto& written = session_.writtenFrames;
        if (const auto known = written.find(path); known != written.end()) {
            if (known->second != payload) {
                replaceWholeFile(path, payload);
                known->second = std::move(payload);
            }
            return;
        }
        if (newFolders_.count(folder))
            replaceWholeFile(path, payload);
        else
            writeWholeFile(path, payload);
        written.emplace(std::move(path), std::move(payload));
    }

    Session& session_;
    Panes& panes_;
    DescriptionLog log_;
    bool anyValidFrame_ = false;
    int iconCount_ = 0;
    // Paths as plain strings, each ending in "/": joined per frame without splitting.
    const std::string workFolder_;
    const std::string thumbs_;
    const std::string puzzles_;
    std::unordered_set<std::string> knownFolders_;
    std::unordered_set<std::string> newFolders_;        // made by this pass
    std::unordered_map<std::string, int> folderErrors_; // why a folder could not be made
};

} // namespace

void calcula(Session& session, Panes& panes, InputFile& input) {
    Pass pass(session, panes);
    std::string line;
    long lines = 0;
    while (input.readLine(line)) {
        pass.handle(line);
        if (++lines % 512 == 0)
            panes.progress("Decoding frames", lines, 0);
    }
    input.close();
    if (!pass.anyValidFrame())
        panes.reportAppend(kNoValidFrames);
    assembleThumbnails(session, panes);
}

} // namespace zelto
