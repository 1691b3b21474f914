#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace zelto::fuzz {

namespace fs = std::filesystem;

Scratch::Scratch()
    : root_(fs::temp_directory_path() / ("zelto-fuzz-" + std::to_string(::getpid()))),
      work_(root_ / "work") {
    fs::remove_all(root_);
    fs::create_directories(work_);
}

Scratch::~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void Scratch::emptyWork() const {
    for (const auto& entry : fs::directory_iterator(work_))
        fs::remove_all(entry.path());
}

void Scratch::checkNothingOutside() const {
    for (const auto& entry : fs::directory_iterator(root_))
        if (entry.path() != work_)
            fail("written outside the working folder: " + entry.path().string());
    if (fs::exists(root_.parent_path() / "Thumbs") || fs::exists(root_.parent_path() / "Puzzles"))
        fail("a store folder appeared beside the scratch folder");
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        fail("cannot write " + path.string());
}

void fail(std::string_view what) {
    std::fprintf(stderr, "FINDING: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace zelto::fuzz
