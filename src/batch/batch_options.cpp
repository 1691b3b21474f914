#include "batch/batch_options.h"

namespace zelto {

BatchOptions parseBatchArguments(const std::vector<std::string>& arguments) {
    BatchOptions options;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--puzzles") {
            options.puzzles = true;
        } else if (argument == "--help") {
            options.action = BatchOptions::Action::Help;
            return options;
        } else if (argument == "--version") {
            options.action = BatchOptions::Action::Version;
            return options;
        } else {
            options.action = BatchOptions::Action::UsageError;
            return options;
        }
    }
    return options;
}

std::string batchUsageLine() {
    return "Usage: Zeltodecoder-batch [--puzzles] [FILE ...] | --help | --version";
}

std::string batchVersionLine() {
    return std::string("Zeltodecoder-batch ") + ZELTO_VERSION;
}

std::string batchHelpText() {
    return batchUsageLine() +
           "\n"
           "\n"
           "Decodes ATHENOXAT-1 beacon captures into the current directory, as the window's\n"
           "open commands do: FILE ending in .kss is read as a KISS capture, .txt as a monitor\n"
           "text capture, anything else as a HEX frame file (letter case ignored).\n"
           "After each FILE the report lines are printed, then \"Image: \" and each image file\n"
           "assembled, then the missing-frames line of each incomplete thumbnail.\n"
           "\n"
           "  --puzzles  after all files, assemble every complete puzzle of the frame store\n"
           "  --help     print this help and exit\n"
           "  --version  print the version and exit\n"
           "\n"
           "Exit status: 0 when every command completed, 1 when one failed, 2 for a usage error.\n";
}

} // namespace zelto
