#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelto::test {

namespace fs = std::filesystem;

// What a run of the built batch decoder left behind.
struct BatchResult {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
    // The commands of the core are still stubs on this build.
    bool coreMissing() const { return err.find("Not built yet") != std::string::npos; }
};

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

    // Runs the batch decoder with `work` as its current directory.
    BatchResult run(const std::vector<std::string>& arguments) const;

  private:
    fs::path root_;
    fs::path work_;
    fs::path captures_;
};

} // namespace zelto::test

// Decoding tests need the commands of the core; until they are merged the run says so.
#define SKIP_IF_CORE_MISSING(result)                                                               \
    do {                                                                                           \
        if ((result).coreMissing())                                                                \
            GTEST_SKIP() << "core commands not merged yet";                                        \
    } while (false)
