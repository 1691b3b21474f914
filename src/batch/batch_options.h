#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// What the command line asks of the batch decoder.
struct BatchOptions {
    enum class Action { Decode, Help, Version, UsageError };
    Action action = Action::Decode;
    bool puzzles = false;           // run Puzzles > Decode after the files
    std::vector<std::string> files; // captures and HEX frame files, in command-line order
    std::string previewsFolder;     // --previews DIR: where the previews go; empty without it
};

// Reads `Zeltodecoder-batch [--puzzles] [--previews DIR] [FILE ...]`, `--help` or `--version`
// (arguments without the program name). Options may stand anywhere before "--"; everything
// after it, and a lone "-", is a FILE. The first of --help, --version or an unknown option
// decides; --previews without a DIR after it is a usage error.
BatchOptions parseBatchArguments(const std::vector<std::string>& arguments);

// One line, without its line end.
std::string batchUsageLine();
std::string batchVersionLine();
// What --help prints, line ends included.
std::string batchHelpText();

} // namespace zelto
