// zelto-daygen: reproducible synthetic captures for the benchmark, and the bundled samples.

#include "capture_writers.h"
#include "day_scenario.h"
#include "image_catalogue.h"
#include "pictures.h"
#include "sample_captures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace zelto::bench;

namespace {

constexpr const char* kUsage =
    "usage: zelto-daygen --seed N --frames F --out DIR [--quiet-frames] [--picture FILE.jpg]\n"
    "       zelto-daygen --seed N --log-lines L --out DIR\n"
    "       zelto-daygen --samples DIR\n";

struct Options {
    std::uint64_t seed = 1;
    long frames = 50000;
    std::optional<long> logLines;
    bool quiet = false;
    fs::path out;
    fs::path picture;
    fs::path samples;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "zelto-daygen: " << problem << '\n' << kUsage;
    std::exit(2);
}

long number(const std::string& option, const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0)
        usage(option + " needs a whole number, not '" + text + "'");
    return value;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage(option + " needs a value");
            return argv[++i];
        };
        if (option == "--seed")
            options.seed = static_cast<std::uint64_t>(number(option, value()));
        else if (option == "--frames")
            options.frames = number(option, value());
        else if (option == "--log-lines")
            options.logLines = number(option, value());
        else if (option == "--out")
            options.out = value();
        else if (option == "--picture")
            options.picture = value();
        else if (option == "--samples")
            options.samples = value();
        else if (option == "--quiet-frames")
            options.quiet = true;
        else if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else
            usage("unknown option " + option);
    }
    if (options.samples.empty() && options.out.empty())
        usage("--out or --samples is needed");
    return options;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A description log as years of decoding leave it: one line per image ID.
void writeLog(const Options& options) {
    ImageCatalogue catalogue(SeededRandom(options.seed).child(7), nullptr);
    BlockFile log(options.out / "ThumbList.txt");
    for (long i = 0; i < *options.logLines; ++i) {
        const auto image = catalogue.newImage(0, 0);
        log.write(" " + idText(image->id()) + " = " + image->description() + "\r\n");
    }
    log.close();
    std::cout << (options.out / "ThumbList.txt").string() << ": " << *options.logLines
              << " lines\n";
}

void writeDayCaptures(const Options& options) {
    std::optional<RgbPicture> picture;
    if (!options.picture.empty())
        picture = decodeJpeg(readFile(options.picture));
    KissCaptureWriter kiss(options.out / "day.kss");
    MonitorTextWriter text(options.out / "day.txt");
    TwinCaptureWriter both(kiss, text);
    DayPlan plan;
    plan.seed = options.seed;
    plan.frames = options.frames;
    plan.quiet = options.quiet;
    plan.picture = picture ? &*picture : nullptr;
    const DayCounts c = writeDay(plan, both);
    both.close();
    std::cout << (options.out / "day.kss").string() << ", day.txt: " << options.frames
              << " frames in " << c.passes << " passes: " << c.text << " text, " << c.icon
              << " icon, " << c.thumbnail << " thumbnail, " << c.puzzle << " puzzle, " << c.other
              << " other, " << c.unkept << " too short or too long; " << c.images
              << " pictures on board" << (options.quiet ? " (frames of interest turned off)" : "")
              << '\n';
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    try {
        if (!options.samples.empty()) {
            fs::create_directories(options.samples);
            writeSamples(options.samples);
            return 0;
        }
        fs::create_directories(options.out);
        if (options.logLines)
            writeLog(options);
        else
            writeDayCaptures(options);
    } catch (const std::exception& e) {
        std::cerr << "zelto-daygen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
