#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// What the window shows at the end of a command, as the batch decoder prints it.
struct CommandReport {
    std::vector<std::string_view> reportBlocks; // Memo1: every line with an LF end, in order
    std::vector<std::string> imageFiles;        // ListBox2, in order
    std::vector<std::string> missingMessages;   // what a click on each ListBox3 entry shows
};

// Writes the report: the report lines, then "Image: " and each image file, then each
// missing-frames message, one line each with an LF end; the bytes stay as they are.
void writeCommandReport(const CommandReport& report,
                        const std::function<void(std::string_view)>& write);

} // namespace zelto
