#include "batch/batch_options.h"

#include <charconv>
#include <optional>

namespace zelto {

namespace {

BatchOptions usageError(BatchOptions options, std::string problem = {}) {
    options.action = BatchOptions::Action::UsageError;
    options.problem = std::move(problem);
    return options;
}

} // namespace

bool splitHostPort(std::string_view text, std::string& host, std::uint16_t& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view name = text.substr(0, colon);
    const std::string_view digits = text.substr(colon + 1);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    else if (name.find(':') != std::string_view::npos)
        return false; // an IPv6 address needs its brackets
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (name.empty() || digits.empty() || error != std::errc() ||
        end != digits.data() + digits.size() || value < 1 || value > 65535)
        return false;
    host = name;
    port = static_cast<std::uint16_t>(value);
    return true;
}

BatchOptions parseBatchArguments(const std::vector<std::string>& arguments) {
    BatchOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.files.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        // The value of an option that takes one.
        const auto value = [&]() -> std::optional<std::string> {
            if (equals != std::string::npos)
                return argument.substr(equals + 1);
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        if (name == "--previews") {
            const auto folder = value();
            if (!folder || folder->empty())
                return usageError(options, "--previews needs DIR");
            options.previewsFolder = *folder;
        } else if (name == "--kiss") {
            const auto hostPort = value();
            if (!hostPort)
                return usageError(options, "--kiss needs HOST:PORT");
            if (!splitHostPort(*hostPort, options.kissHost, options.kissPort))
                return usageError(options, "--kiss: '" + *hostPort + "' is not HOST:PORT");
        } else if (equals != std::string::npos) {
            return usageError(options);
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
            return usageError(options);
        }
    }
    return options;
}

std::string batchUsageLine() {
    return "Usage: Zeltodecoder-batch [--puzzles] [--previews DIR] [--kiss HOST:PORT] [FILE ...] "
           "| --help | --version";
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
           "  --puzzles          after all files, assemble every complete puzzle of the store\n"
           "  --previews DIR     then write into DIR (made when missing) a PNG picture of what\n"
           "                     has arrived of each incomplete thumbnail and puzzle of the\n"
           "                     store: \"thumb ID.png\" or \"puzzl ID.png\", \"thumb ID N.png\"\n"
           "                     with the frame count N when the store holds two sizes of one\n"
           "                     ID; none for an image whose first frame has not arrived or\n"
           "                     whose header cannot be read\n"
           "  --kiss HOST:PORT   then decode live from that KISS TCP server (a sound modem)\n"
           "                     until SIGINT or SIGTERM: every frame is kept in\n"
           "                     kiss-YYYY-MM-DD.kss and .HEX (UTC day), decoded at once, and\n"
           "                     each image it completes joined at once; report lines and\n"
           "                     \"Image: \" lines go out as the frames are decoded, connection\n"
           "                     changes and frame errors to standard error\n"
           "  --help             print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: 0 when every command completed (a live session stopped by a signal\n"
           "included), 1 when one failed or a live session could not write, 2 for a usage "
           "error.\n";
}

} // namespace zelto
