#include "batch/command_report.h"

namespace zelto {

void appendCommandReport(std::string& out, const CommandReport& report) {
    for (const std::string& line : report.reportLines) {
        out += line;
        out += '\n';
    }
    for (const std::string& file : report.imageFiles) {
        out += "Image: ";
        out += file;
        out += '\n';
    }
    for (const std::string& message : report.missingMessages) {
        out += message;
        out += '\n';
    }
}

} // namespace zelto
