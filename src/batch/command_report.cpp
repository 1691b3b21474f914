// What the window shows at the end of a command, printed by the batch tool.
#include "batch/command_report.h"

namespace zelto {

void writeCommandReport(const CommandReport& report,
                        const std::function<void(std::string_view)>& write) {
    for (std::string_view block : report.reportBlocks)
        write(block);
    for (const std::string& file : report.imageFiles) {
        write("Image: ");
        write(file);
        write("\n");
    }
    for (const std::string& message : report.missingMessages) {
        write(message);
        write("\n");
    }
}

} // namespace zelto
