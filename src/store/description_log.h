#pragma once

#include "core/durable_writes.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zelto {

// ThumbList.txt: one line " " + image ID + " = " + description per described image.
inline constexpr const char* kLogName = "ThumbList.txt";
inline constexpr const char* kNotYetReceived = "Image description not yet received...";

// The ID field of a log line: characters 2 to 12, fewer on a short line.
std::string_view logLineId(std::string_view line);
// The description field as readers show it: at most 90 characters from character 16.
std::string_view logLineDescription(std::string_view line);

// The log line of a description; a CR or LF in it becomes a blank so the line stays one line.
std::string logLine(std::string_view imageId, std::string_view description);

struct LogLookup {
    bool hasLines = false;                  // the log holds at least one byte
    std::optional<std::string> description; // of the last line carrying the ID
};

// The description lookup every reader uses (exact ID match, last match wins).
LogLookup lookupDescription(const std::filesystem::path& log, std::string_view imageId);

// The whole log read once, for a command that looks up many images: each lookup then gives
// what lookupDescription would give.
class DescriptionIndex {
  public:
    explicit DescriptionIndex(const std::filesystem::path& log);
    LogLookup find(std::string_view imageId) const;

  private:
    bool hasLines_ = false;
    std::unordered_map<std::string, std::string> lastDescription_;
};

// The lines of the log, in file order.
std::vector<std::string> readLogLines(const std::filesystem::path& log);

// Adds descriptions during one decoding pass: the log's IDs are read once, on the first
// text frame, and each new ID is appended as one whole line.
class DescriptionLog {
  public:
    // With `writes`, the first append of the command is guarded there against a power cut.
    explicit DescriptionLog(std::filesystem::path log, DurableWrites* writes = nullptr)
        : path_(std::move(log)), writes_(writes) {}
    // Appends the log line unless a line with that ID exists already.
    void add(std::string_view imageId, std::string_view description);

  private:
    void noteLine(std::string_view line);

    std::filesystem::path path_;
    DurableWrites* writes_;
    bool loaded_ = false;
    bool endsWithLineEnd_ = true;
    std::unordered_set<std::string> ids_;
};

} // namespace zelto
