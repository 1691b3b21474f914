#include "batch/batch_options.h"

namespace zelto {

BatchOptions parseBatchArguments(const std::vector<std::string>& arguments) {
    BatchOptions options;
    bool optionsEnded = false;
    bool previewsFolderNext = false;
    for (const std::string& argument : arguments) {
        if (previewsFolderNext) {
            if (argument.empty()) {
                options.action = BatchOptions::Action::UsageError;
                return options;
            }
            options.previewsFolder = argument;
            previewsFolderNext = false;
        } else if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--puzzles") {
            options.puzzles = true;
        } else if (argument == "--previews") {
            previewsFolderNext = true;
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
    if (previewsFolderNext)
        options.action = BatchOptions::Action::UsageError;
    return options;
}

std::string batchUsageLine() {
    return "Usage: Zeltodecoder-batch [--puzzles] [--previews DIR] [FILE ...] | --help | "
           "--version";
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
           "  --previews DIR\n"
           "             then write into DIR (made when missing) a PNG picture of what has\n"
           "             arrived of each incomplete thumbnail and puzzle of the frame store:\n"
           "             \"thumb ID.png\" or \"puzzl ID.png\", \"thumb ID N.png\" with the frame\n"
           "             count N when the store holds two sizes of one ID; none for an image\n"
           "             whose first frame has not arrived or whose header cannot be read\n"
           "  --help     print this help and exit\n"
           "  --version  print the version and exit\n"
           "\n"
           "Exit status: 0 when every command completed, 1 when one failed, 2 for a usage error.\n";
}

} // namespace zelto
