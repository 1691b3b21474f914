#pragma once

#include "core/panes.h"
#include "core/session.h"
#include "store/store_layout.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelto::test {

namespace fs = std::filesystem;

// Records everything the core does to the window.
class FakePanes : public Panes {
  public:
    std::vector<std::string> report;
    std::vector<std::string> lists[3];
    int selected[3] = {-1, -1, -1};
    std::string description;
    std::string fileField;
    std::map<PicturePane, fs::path> pictures; // what each pane shows, by the file's own name
    std::vector<std::string> messages;
    int normalLayouts = 0;
    int repaints = 0;
    // When set, showPicture decodes the file as the window would, and throws as it would.
    bool decodePictures = true;

    std::vector<std::string>& list(ListPane l) { return lists[static_cast<int>(l)]; }

    void reportClear() override { report.clear(); }
    void reportAppend(std::string_view line) override { report.emplace_back(line); }
    void reportAppendToLast(std::string_view text) override;
    std::vector<std::string> reportLines() const override { return report; }
    void listClear(ListPane l) override;
    void listAppend(ListPane l, std::string_view entry) override { list(l).emplace_back(entry); }
    void listSelectLast(ListPane l) override;
    bool listHas(ListPane l, std::string_view entry) const override;
    void listRemove(ListPane l, std::string_view entry) override;
    void setDescription(std::string_view text) override { description = text; }
    void setFileField(std::string_view text) override { fileField = text; }
    void showPicture(PicturePane pane, const fs::path& file, std::string_view listedName) override;
    void clearPicture(PicturePane pane) override { pictures.erase(pane); }
    void normalLayout() override { ++normalLayouts; }
    void repaint() override { ++repaints; }
    void message(std::string_view text) override { messages.emplace_back(text); }
};

// A fresh working folder, prepared as start-up prepares it, removed afterwards.
class WorkFolder {
  public:
    WorkFolder();
    ~WorkFolder();
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    Session session;

  private:
    fs::path path_;
    fs::path previousCurrent_;
};

// A working folder "work" inside a folder of its own, beside a folder "captures" for input
// files: a test can tell that nothing was written beside the working folder. The working
// folder is prepared as start-up prepares it and is the current directory; all is removed
// afterwards.
class NestedWorkFolder {
  public:
    NestedWorkFolder();
    ~NestedWorkFolder();
    NestedWorkFolder(const NestedWorkFolder&) = delete;
    NestedWorkFolder& operator=(const NestedWorkFolder&) = delete;

    const fs::path& root() const { return root_; }
    const fs::path& work() const { return work_; }
    const fs::path& captures() const { return captures_; }
    fs::path operator/(const std::string& name) const { return work_ / name; }
    // Thumbs, Puzzles and an empty ThumbList.txt made again (once a disk is mounted on the
    // working folder), which becomes the current directory again.
    void prepare();
    // Every entry under the enclosing folder but the working folder, with the size of files.
    std::vector<std::string> outside() const;

    Session session;

  private:
    fs::path root_;
    fs::path work_;
    fs::path captures_;
    fs::path previousCurrent_;
};

// A path under the temporary folder, its name beginning with `prefix`, unique within this run
// of the tests, where nothing stands yet.
fs::path freshTempPath(const std::string& prefix);

// Every entry under a folder, by its path relative to it, with the size of each file; sorted.
std::vector<std::string> treeOf(const fs::path& folder);

// Runs the event loop of the program's Qt application until the condition holds; false after
// twenty seconds.
bool pumpEventsUntil(const std::function<bool()>& condition);

// The message of the RunError that f throws, empty when it throws none.
std::string messageOf(const std::function<void()>& f);

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, std::string_view bytes);
// Names of the entries of a folder, sorted.
std::vector<std::string> listFolder(const fs::path& folder);

// Bytes as a HEX line: "00 1A FF " (every token with its blank), no line end.
std::string hexTokens(std::string_view bytes);
std::string bytesOf(std::initializer_list<int> values);

// Frames as the beacon sends them, byte 0 being the KISS command byte (00).
// IDs are the four ID bytes.
std::string textFrame(std::string_view id4, std::string_view description);
std::string textFrameWithLength(std::string_view id4, std::string_view description,
                                int lengthField);
std::string iconFrame(std::string_view id4, std::string_view bitmap);
using zelto::ImageKind;
std::string imageFrame(ImageKind kind, std::string_view id4, int imageSize, int frameNumber,
                       std::string_view payload);
// Every frame of an image, from frame number N down to 1.
std::vector<std::string> imageFrames(ImageKind kind, std::string_view id4, std::string_view image);

// The HEX frame file of frames: one HEX line each, CR LF ends.
std::string hexFile(const std::vector<std::string>& frames);

// The image ID text of four ID bytes: "0A 1B 2C 3D".
std::string idText(std::string_view id4);

// Real pictures made by the tests.
std::string smallJpeg(int width, int height, int seed);
// The same with a restart marker after every `restartInterval` MCUs (16 x 16 pixels each).
std::string jpegWithRestarts(int width, int height, int seed, int restartInterval);
std::string smallBmp(int width, int height);

} // namespace zelto::test
