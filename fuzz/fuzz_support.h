#pragma once

#include "core/panes.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelto::fuzz {

// A Panes that keeps nothing: the targets judge files and failures, not what a window shows.
class NullPanes : public Panes {
  public:
    void reportClear() override {}
    void reportAppend(std::string_view) override {}
    void reportAppendToLast(std::string_view) override {}
    std::vector<std::string> reportLines() const override { return {}; }
    void listClear(ListPane) override {}
    void listAppend(ListPane, std::string_view) override {}
    void listSelectLast(ListPane) override {}
    bool listHas(ListPane, std::string_view) const override { return false; }
    void listRemove(ListPane, std::string_view) override {}
    void setDescription(std::string_view) override {}
    void setFileField(std::string_view) override {}
    void showPicture(PicturePane, const std::filesystem::path&, std::string_view) override {}
    void clearPicture(PicturePane) override {}
    void normalLayout() override {}
    void repaint() override {}
    void message(std::string_view) override {}
};

// A folder of the fuzzing process's own under the temporary folder: a working folder
// "work" inside an otherwise empty "root", so that a file written outside the working
// folder shows up in the root.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::filesystem::path& work() const { return work_; }
    // Empties the working folder for the next input.
    void emptyWork() const;
    // Stops the run when anything besides the working folder appeared in the root.
    void checkNothingOutside() const;

  private:
    std::filesystem::path root_;
    std::filesystem::path work_;
};

// Puts the current directory back when it goes out of scope.
class CurrentDirectoryKept {
  public:
    CurrentDirectoryKept() : folder_(std::filesystem::current_path()) {}
    ~CurrentDirectoryKept() { std::filesystem::current_path(folder_); }
    CurrentDirectoryKept(const CurrentDirectoryKept&) = delete;
    CurrentDirectoryKept& operator=(const CurrentDirectoryKept&) = delete;

  private:
    std::filesystem::path folder_;
};

// Writes the bytes to a file, or stops the run: the target cannot go on without it.
void writeFile(const std::filesystem::path& path, std::string_view bytes);

inline std::string_view bytesOf(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A finding the sanitizers cannot see: prints what went wrong and aborts, which libFuzzer
// reports as a crash and keeps the input.
[[noreturn]] void fail(std::string_view what);

} // namespace zelto::fuzz
