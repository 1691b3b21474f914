#pragma once

#include <filesystem>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zelto {

// Keeps a command's files off their names until their bytes are on the disk, so that a power
// cut leaves either what stood before or the whole file, never a name over missing bytes.
// Each file is written whole under a temporary name and waits here; publish() syncs the file
// system once and renames every waiting file; finish(), at the end of a command, syncs once
// more, so that what the command reported as done is on the disk when it returns. Syncs are
// counted per publish, never per file.
class DurableWrites {
  public:
    // How a file waits: listed, so that readable() finds it and a later file of the same name
    // replaces it; or unlisted, for a caller that keeps track of what it wrote (the decoding
    // pass, of its frame files), the later of two files of one name taking it last.
    enum class Waiting { Listed, Unlisted };

    // The folder whose file system is synced (the working folder). Until it is set, the
    // folder of the first file met is taken, or the nearest one above it that is left.
    void setFolder(const std::filesystem::path& folder) { folder_ = folder; }

    // A file written whole under `tempPath`, to take `finalPath` at the next publish(). A file
    // still waiting for the same name is dropped: the later bytes win, as a rename would.
    void add(std::string tempPath, std::string finalPath, Waiting how = Waiting::Listed);
    // Where the bytes now meant for `finalPath` can be read: its temporary file while it
    // waits, else `finalPath` itself.
    const std::string& readable(const std::string& finalPath) const;

    // A change made in place in a folder (an append, a removal): covered by the sync of
    // finish().
    void noteChange(const std::filesystem::path& folder);
    // Before the first append of a command to `file`: a marker naming the file's size, synced,
    // so that start-up can cut back what a power cut left of the appended lines. The marker
    // goes at finish(), once the lines are on the disk.
    void guardAppend(const std::filesystem::path& file);

    // Every waiting file takes its name, after one sync for their bytes. A sync that fails
    // gives up the waiting files; a rename that fails is reported once the others are made.
    // Throws RunError.
    void publish();
    // publish(), and the new names on the disk too: for a step that must not reach the disk
    // before them (removing the frames of a joined image).
    void publishDurably();
    // The end of a command: publish(), then one sync for the renames and in-place changes.
    void finish();

  private:
    void sync();
    void noteFolder(const std::filesystem::path& path);

    std::filesystem::path folder_;
    std::unordered_map<std::string, std::string> waiting_;      // final path -> temporary path
    std::vector<std::pair<std::string, std::string>> unlisted_; // temporary and final path
    bool bytesUnsynced_ = false;                                // files written since the last sync
    bool namesUnsynced_ = false;                                // renames since the last sync
    bool changesUnsynced_ = false; // appends and removals since the last sync
    std::vector<std::pair<std::string, std::string>> markers_; // appended file and its marker
};

// The end of a command's writes, however the command is left: finish() when it runs to its
// end (a failure to finish is then the command's failure), or on the way out of a failure,
// so that the files written before it keep their names; a failure to finish is then passed
// over, the command's own being the one that counts.
class FinishOnExit {
  public:
    explicit FinishOnExit(DurableWrites& writes) : writes_(writes) {}
    ~FinishOnExit();
    FinishOnExit(const FinishOnExit&) = delete;
    FinishOnExit& operator=(const FinishOnExit&) = delete;

    void finish();

  private:
    DurableWrites& writes_;
    bool finished_ = false;
};

} // namespace zelto
