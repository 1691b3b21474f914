#pragma once

#include "core/durable_writes.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

// Reads a file in large blocks. Open failures and read errors throw RunError.
class InputFile {
  public:
    explicit InputFile(const fs::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The size the file had when it was opened.
    std::size_t size() const { return size_; }
    // Up to `size` bytes; 0 at the end of the file.
    std::size_t read(char* buffer, std::size_t size);
    // The next line without its line end (LF or CR LF); false at the end of the file.
    bool readLine(std::string& line);
    void close();

  private:
    bool fill();

    int fd_ = -1;
    std::size_t size_ = 0;
    std::string buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false; // nothing more to read, whatever the descriptor says
};

// Writes a file whole or not at all: the bytes go to a temporary name in the same folder
// and replace the final name only once committed. A file never committed leaves what stood
// under the final name as it was.
class WholeFile {
  public:
    // Paths are plain strings here (a std::filesystem::path converts to one): the decoding
    // pass writes thousands of small files and need not split each path into parts.
    explicit WholeFile(std::string finalPath);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    void write(std::string_view bytes);
    // The file takes its name now, once its bytes are on the disk: one sync for this file.
    void commit();
    // The file waits in `writes` for its name, which it takes with the command's other files.
    void commit(DurableWrites& writes, DurableWrites::Waiting how = DurableWrites::Waiting::Listed);

  private:
    void flush();
    void close();

    std::string finalPath_;
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
};

enum class FileWrite { Unchanged, Replaced, Created };

// Writes a complete small file in one go through WholeFile; a file that holds these bytes
// already is left as it is. Says which of the three it was. With `writes`, the file waits
// there for its name (and a file waiting there is what the bytes are compared with); a
// folder standing under the name fails at once with "File access denied".
FileWrite writeWholeFile(const std::string& path, std::string_view bytes);
FileWrite writeWholeFile(const std::string& path, std::string_view bytes, DurableWrites& writes,
                         DurableWrites::Waiting how = DurableWrites::Waiting::Listed);
// The same without looking at what stands there: for a caller that knows.
void replaceWholeFile(const std::string& path, std::string_view bytes);
void replaceWholeFile(const std::string& path, std::string_view bytes, DurableWrites& writes,
                      DurableWrites::Waiting how = DurableWrites::Waiting::Listed);

// The whole content of a file.
std::string readWholeFile(const fs::path& path);

// Appends whole lines (bytes ending in LF) to an existing file in a single write; a missing
// file is "File not found". A process killed inside that write can still leave some of it
// (the kernel stops at a page boundary for a fatal signal), so a partial-named marker beside
// the file names the size it had before, for cutPartAppendedLine() at the next start. A
// write that fails leaves the file as it was.
void appendLines(const fs::path& path, std::string_view bytes);

// Appends bytes to a file, made when missing, in a single write; a write that fails leaves
// the file as it was.
void appendBlock(const fs::path& path, std::string_view bytes);

// Cuts a file back to just after the last `terminator` byte it holds: what an append killed
// midway left after it goes. A file without one is left alone, as are failures.
void cutAfterLast(const fs::path& path, char terminator);

// Temporary names of unfinished files begin with this; no command counts or lists them.
inline constexpr std::string_view kPartialPrefix = ".zelto-partial-";
bool isPartialName(std::string_view fileName);
// A temporary name beside `finalPath` for this process: ".zelto-partial-<pid>-<n>-<name>".
std::string partialPath(const std::string& finalPath);
// The name a temporary name was made for; empty for a name of another form.
std::string nameOfPartial(std::string_view partialName);

// The marker beside `path` of an append that found the file `sizeBefore` bytes long.
fs::path appendMarkerPath(const fs::path& path, std::uintmax_t sizeBefore);

// Start-up, before the partial files of the file's folder are removed: when markers among
// them show that an append to the file was cut midway (the file is longer than the size a
// marker names and does not end in LF), cuts the file back to the size of the last such
// append. A size that a power cut left zero bytes before is passed over for the one before
// it: zeros stand where bytes never reached the disk.
void cutPartAppendedLine(const fs::path& path, const std::vector<std::string>& partialNames);

} // namespace zelto
