#pragma once

#include <string>
#include <vector>

namespace zelto {

// What the window shows at the end of a command, as the batch decoder prints it.
struct CommandReport {
    std::vector<std::string> reportLines;     // Memo1, in order
    std::vector<std::string> imageFiles;      // ListBox2, in order
    std::vector<std::string> missingMessages; // what a click on each ListBox3 entry shows
};

// Appends the report: every report line, then "Image: " and each image file, then each
// missing-frames message, one line each with an LF end; the bytes stay as they are.
void appendCommandReport(std::string& out, const CommandReport& report);

} // namespace zelto
