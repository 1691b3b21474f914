#pragma once

// A large scene of thumbnails, puzzles, icons and descriptions spread over an earlier capture
// and a day's capture, and the checks that tell whether a working folder holds only what the
// decoder may leave there after a kill or a power cut.

#include "batch/batch_runner.h"
#include "support/test_support.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zelto::test {

bool isPartial(const std::string& name);
std::string frameFile(int f);

// A thumbnail or puzzle, with the frames that each capture carries.
struct Picture {
    ImageKind kind = ImageKind::Thumbnail;
    std::string id4;
    std::string jpeg;
    std::set<int> earlier; // frame numbers in the earlier capture
    std::set<int> later;   // frame numbers in the large capture

    bool thumbnail() const { return kind == ImageKind::Thumbnail; }
    int size() const { return static_cast<int>(jpeg.size()); }
    int frameCount() const { return size() / 200 + 1; }
    std::string id() const { return idText(id4); }
    std::string folder() const { return id() + " . " + std::to_string(frameCount()); }
    std::string fileName() const { return (thumbnail() ? "thumb " : "puzzl ") + id() + ".jpg"; }
    std::string payload(int f) const {
        return jpeg.substr(static_cast<std::size_t>(frameCount() - f) * 200, 200);
    }
    std::string frame(int f) const { return imageFrame(kind, id4, size(), f, payload(f)); }
    bool received(int f) const { return earlier.count(f) || later.count(f); }
    bool complete() const;
};

struct Icon {
    std::string id4;
    std::string bitmap;
    std::string fileName() const { return "icon" + idText(id4) + " .bmp"; }
};

// Everything the test sends and what the working folder must then hold.
struct Scene {
    std::vector<Picture> pictures;
    std::vector<Icon> icons;
    std::vector<std::string> earlierFrames;
    std::vector<std::string> laterFrames;
    std::vector<std::pair<std::string, std::string>> laterTexts; // (ID, description) in order

    // Filled once the earlier capture has been decoded.
    std::string initialLog;
    std::vector<std::string> newLogLines; // each with CR LF, in the order they are added
    bool logInOrder = true; // false when captures of the same frames in another order come
    std::map<std::string, std::string> hexFiles; // HEX frame files that may stand, by name
    std::vector<std::string> runHexFiles;        // and those a whole run leaves

    std::map<std::string, const Picture*> byFileName;
    std::map<std::string, const Picture*> thumbFolders;
    std::map<std::string, const Picture*> puzzleFolders;
    std::map<std::string, const Icon*> iconsByFileName;
};

// A fixed scene: the kill moments are the only thing left to chance.
Scene makeScene();

// The scene's captures, earlier.kss and day.kss, and the working folder as the earlier
// capture left it (with a log line edited by hand), kept in `initialCopy`. Fails the test
// when the earlier capture does not decode as it should.
struct SceneSetup {
    Scene scene = makeScene();
    BatchFolder folder;
    fs::path captures = folder.captures();
    fs::path output = captures / "output";
    fs::path initialCopy = captures / "initial";
};
void prepareScene(SceneSetup& setup);

// How a run of the batch decoder ended.
struct Ending {
    bool killed = false;
    int status = -1;
    double seconds = 0;
};

// Runs the decoder in `work`; with `killAfter`, sends SIGKILL that long after the start
// unless it has ended by then. `inChild` as for startBatch.
Ending runDecoder(const fs::path& work, const fs::path& output,
                  const std::vector<std::string>& arguments,
                  std::optional<std::chrono::nanoseconds> killAfter,
                  const std::function<bool()>& inChild = {});
// For runDecoder: the decoder started with the library of tests/preload loaded, recording its
// calls into `trace`; with `killAtDeletion`, killed right after that many deletions of frame
// files in Thumbs.
std::function<bool()> withIoTrace(const fs::path& trace, long killAtDeletion = 0);
// The deletions of frame files in Thumbs that a recording holds.
long frameDeletions(const fs::path& trace);

// How a started decoder ended, `start` being when it was started.
Ending endingOf(pid_t child, std::chrono::steady_clock::time_point start);

// What a look at the working folder found.
struct Findings {
    std::vector<std::string> faults;
    int partials = 0;

    void fault(const std::string& text) { faults.push_back(text); }
};

// The real files of an image folder: every entry that is not a partial file.
std::set<std::string> realFiles(const fs::path& folder);

// Looks at everything in the working folder; `finished` after a run that went to its end.
Findings checkWorkFolder(const Scene& scene, const fs::path& work, bool finished);
// The report of a run that went to its end agrees with the store it leaves.
void checkReport(const Scene& scene, const fs::path& work, const std::string& out, Findings& found);
std::string describe(const Findings& found);

void copyFolder(const fs::path& from, const fs::path& to);
// ZELTO_CRASH_SEED, or a fresh seed.
unsigned crashSeed();

} // namespace zelto::test
