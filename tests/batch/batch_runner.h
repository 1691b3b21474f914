#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace zelto::test {

namespace fs = std::filesystem;

// What a run of the built batch decoder left behind.
struct BatchResult {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Starts the built batch decoder with `work` as its current directory, standard input from
// /dev/null and standard output and error to the two files (which may be one file).
// `inChild` runs in the new process just before the decoder starts; false stops it there.
// Returns the process ID, or -1.
pid_t startBatch(const fs::path& work, const std::vector<std::string>& arguments,
                 const fs::path& out, const fs::path& err,
                 const std::function<bool()>& inChild = {});
// The wait status of a started decoder once it has ended.
int waitForBatch(pid_t child);

// A temporary folder holding an empty working folder "work" and a folder "captures" for
// input files; removed afterwards.
class BatchFolder {
  public:
    BatchFolder();
    ~BatchFolder();
    BatchFolder(const BatchFolder&) = delete;
    BatchFolder& operator=(const BatchFolder&) = delete;

    const fs::path& work() const { return work_; }
    const fs::path& captures() const { return captures_; }

    // Runs the batch decoder with `work` as its current directory; with `workGone`, that
    // directory is removed before the decoder starts.
    BatchResult run(const std::vector<std::string>& arguments, bool workGone = false) const;
    // Runs it as under `ulimit -f`: no file it writes may grow past `bytes`, and a write past
    // that raises the signal SIGXFSZ with its default action.
    BatchResult runWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t bytes) const;

  private:
    BatchResult start(const std::vector<std::string>& arguments, bool workGone,
                      rlim_t fileSizeLimit) const;

    fs::path root_;
    fs::path work_;
    fs::path captures_;
};

} // namespace zelto::test
