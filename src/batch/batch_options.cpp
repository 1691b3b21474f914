// The batch tool's command line: options, usage and version.
#include "batch/batch_options.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <set>

namespace zelto {

namespace {

BatchOptions usageError(BatchOptions options, std::string problem = {}) {
    options.action = BatchOptions::Action::UsageError;
    options.problem = std::move(problem);
    return options;
}

} // namespace

// One of the station's settings from its option's text; false when it does not read.
bool readStationOption(const std::string& name, const std::string& text, StationSettings& station) {
    if (name == "--sids" || name == "--station") {
        (name == "--sids" ? station.serverUrl : station.callsign) = text;
        return !text.empty();
    }
    const char* end = text.data() + text.size();
    if (name == "--norad") {
        const auto [at, error] = std::from_chars(text.data(), end, station.noradId);
        return error == std::errc() && at == end && station.noradId > 0;
    }
    double& degrees = name == "--latitude" ? station.latitude : station.longitude;
    const auto [at, error] = std::from_chars(text.data(), end, degrees);
    return error == std::errc() && at == end;
}

namespace {

// A token goes into a header line: printable characters, no blanks.
bool isToken(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

// One of --fetch's settings from its option's text; false when it does not read.
bool readFetchOption(const std::string& name, const std::string& text, BatchOptions::Fetch& fetch) {
    const char* end = text.data() + text.size();
    if (name == "--fetch") {
        const auto [at, error] = std::from_chars(text.data(), end, fetch.noradId);
        return error == std::errc() && at == end && fetch.noradId > 0;
    }
    if (name == "--since") {
        unsigned year = 0, month = 0, day = 0;
        const auto number = [&](std::size_t from, std::size_t count, unsigned& value) {
            const auto [at, error] =
                std::from_chars(text.data() + from, text.data() + from + count, value);
            return error == std::errc() && at == text.data() + from + count;
        };
        fetch.since = text;
        return text.size() == 10 && text[4] == '-' && text[7] == '-' && number(0, 4, year) &&
               number(5, 2, month) && number(8, 2, day) &&
               std::chrono::year_month_day(std::chrono::year(static_cast<int>(year)),
                                           std::chrono::month(month), std::chrono::day(day))
                   .ok();
    }
    if (name == "--satnogs-db") {
        fetch.server = text;
        return (text.starts_with("http://") && text.size() > 7) ||
               (text.starts_with("https://") && text.size() > 8);
    }
    fetch.token = text;
    return isToken(text);
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

BatchOptions parseBatchArguments(const std::vector<std::string>& arguments,
                                 std::string_view environmentToken) {
    BatchOptions options;
    bool optionsEnded = false;
    std::set<std::string> given;
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
        } else if (name == "--sids" || name == "--station" || name == "--norad" ||
                   name == "--latitude" || name == "--longitude") {
            const auto text = value();
            if (!text || !readStationOption(name, *text, options.station))
                return usageError(options, name + ": " +
                                               (text ? "'" + *text + "' is not valid"
                                                     : std::string("needs a value")));
            if (name == "--station")
                if (const std::string problem = callsignProblem(*text); !problem.empty())
                    return usageError(options, name + ": '" + *text + "' " + problem);
            if (name == "--sids")
                options.station.forwarding = true;
            given.insert(name);
        } else if (name == "--fetch" || name == "--since" || name == "--satnogs-db" ||
                   name == "--token") {
            const auto text = value();
            if (!text || !readFetchOption(name, *text, options.fetch))
                return usageError(options,
                                  name + ": " +
                                      (!text ? std::string("needs a value")
                                       : name == "--token" // the token is never shown
                                           ? std::string("not a token")
                                           : "'" + *text + "' is not valid"));
            given.insert(name);
        } else if (argument == "--sids-dry-run") {
            options.sidsDryRun = true;
            options.station.forwarding = true;
        } else if (name == "--kiss") {
            const auto hostPort = value();
            if (!hostPort)
                return usageError(options, "--kiss needs HOST:PORT");
            if (!splitHostPort(*hostPort, options.kissHost, options.kissPort))
                return usageError(options, "--kiss: '" + *hostPort + "' is not HOST:PORT");
        } else if (name == "--audio") {
            const auto device = value();
            if (!device)
                return usageError(options, "--audio needs DEVICE, or - for standard input");
            options.audio = true;
            options.audioDevice = *device;
        } else if (name == "--rate") {
            const auto rate = value();
            if (!rate)
                return usageError(options, "--rate needs HZ");
            const char* end = rate->data() + rate->size();
            const auto [at, error] = std::from_chars(rate->data(), end, options.audioRate);
            if (error != std::errc() || at != end || options.audioRate < 8000 ||
                options.audioRate > 384000)
                return usageError(options, "--rate: '" + *rate +
                                               "' is not a sample rate from 8000 to 384000 Hz");
            given.insert(name);
        } else if (name == "--kiss-serve") {
            const auto where = value();
            if (!where)
                return usageError(options, "--kiss-serve needs [ADDRESS:]PORT");
            std::string address = options.kissServeAddress;
            const bool withAddress = where->find(':') != std::string::npos;
            if (!splitHostPort(withAddress ? *where : address + ":" + *where, address,
                               options.kissServePort))
                return usageError(options, "--kiss-serve: '" + *where + "' is not [ADDRESS:]PORT");
            options.kissServeAddress = address;
        } else if (argument == "--audio-devices") {
            options.action = BatchOptions::Action::ListAudioDevices;
            return options;
        } else if (name == "--kiss-silence") {
            const auto minutes = value();
            if (!minutes)
                return usageError(options, "--kiss-silence needs MINUTES");
            const char* end = minutes->data() + minutes->size();
            const auto [at, error] =
                std::from_chars(minutes->data(), end, options.kissSilenceMinutes);
            if (error != std::errc() || at != end || options.kissSilenceMinutes < 0 ||
                options.kissSilenceMinutes > 1440)
                return usageError(options, "--kiss-silence: '" + *minutes +
                                               "' is not a number of minutes from 0 to 1440");
            given.insert(name);
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
    if (given.count("--kiss-silence") && options.kissHost.empty())
        return usageError(options, "--kiss-silence needs --kiss HOST:PORT");
    if (options.audio && !options.kissHost.empty())
        return usageError(options, "--audio and --kiss: a live session takes one source");
    if (given.count("--rate") && !(options.audio && options.audioDevice == "-"))
        return usageError(options, "--rate needs --audio - (a sound card tells its own rate)");
    if (options.kissServePort != 0 && !startsLiveSession(options))
        return usageError(options, "--kiss-serve needs --kiss HOST:PORT or --audio DEVICE");
    if (options.fetch.noradId == 0) {
        for (const char* needsFetch : {"--since", "--satnogs-db", "--token"})
            if (given.count(needsFetch))
                return usageError(options, std::string(needsFetch) + " needs --fetch NORAD");
    } else if (options.fetch.token.empty()) {
        if (environmentToken.empty())
            return usageError(options, "--fetch needs the API token of your SatNOGS DB account: "
                                       "put it in the environment variable SATNOGS_DB_TOKEN, or "
                                       "give --token TOKEN");
        if (!isToken(environmentToken))
            return usageError(options, "SATNOGS_DB_TOKEN does not hold a token");
        options.fetch.token = environmentToken;
    }
    if (options.station.forwarding) {
        if (!startsLiveSession(options))
            return usageError(
                options, "forwarding frames (--sids) needs --kiss HOST:PORT or --audio DEVICE");
        for (const char* needed : {"--station", "--norad", "--latitude", "--longitude"})
            if (!given.count(needed))
                return usageError(options,
                                  std::string("forwarding frames (--sids) needs ") + needed);
        if (const std::string problem = stationSettingsProblem(options.station); !problem.empty())
            return usageError(options, problem);
    }
    return options;
}

bool startsLiveSession(const BatchOptions& options) {
    return !options.kissHost.empty() || options.audio;
}

std::string batchUsageLine() {
    return "Usage: Zeltodecoder-batch [--puzzles] [--previews DIR] [--kiss HOST:PORT [--sids URL "
           "...]] [FILE ...] | --help | --version";
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
           "text capture, .csv or .json as frames downloaded from the SatNOGS DB, .wav, .flac\n"
           "or .ogg as a recording of the radio's audio (demodulated into the KISS capture\n"
           "NAME.kss, then read as one), anything else as a HEX frame file (letter case\n"
           "ignored).\n"
           "After each FILE the report lines are printed, then \"Image: \" and each image file\n"
           "assembled, then the missing-frames line of each incomplete thumbnail.\n"
           "\n"
           "  --fetch NORAD      first fetch every frame that the SatNOGS DB holds of the\n"
           "                     satellite of that NORAD ID, page by page, into\n"
           "                     satnogs-NORAD-YYYYMMDDTHHMMSSZ.json (UTC time of the fetch),\n"
           "                     and decode that file before the FILEs; the API token of\n"
           "                     your DB account comes from SATNOGS_DB_TOKEN or --token\n"
           "  --since DATE       with --fetch, only the frames received from DATE on\n"
           "                     (YYYY-MM-DD, from 00:00:00 UTC)\n"
           "  --satnogs-db URL   with --fetch, the DB's address (https://db.satnogs.org)\n"
           "  --token TOKEN      with --fetch, the API token (SATNOGS_DB_TOKEN keeps it out\n"
           "                     of the shell's history and the list of processes)\n"
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
           "  --kiss-silence MINUTES\n"
           "                     with --kiss, count a connection that brings nothing for that\n"
           "                     long as lost and connect again (10 at first; 0: never, for a\n"
           "                     satellite heard seldom)\n"
           "  --audio DEVICE     instead of --kiss, demodulate the beacon from that sound card\n"
           "                     input (the radio's data port; --audio-devices lists them)\n"
           "                     until SIGINT or SIGTERM, every frame taking the road of a\n"
           "                     KISS frame; --audio - reads raw signed 16-bit little-endian\n"
           "                     mono from standard input (rtl_fm ... | Zeltodecoder-batch\n"
           "                     --audio -) until it ends\n"
           "  --rate HZ          with --audio -, the sample rate of standard input (48000)\n"
           "  --audio-devices    list the sound card inputs, the default one first\n"
           "  --kiss-serve [ADDRESS:]PORT\n"
           "                     with a live session, serve every frame received to the\n"
           "                     clients of a KISS TCP server on that port, as a sound modem\n"
           "                     does (ADDRESS 127.0.0.1 unless given)\n"
           "  --sids URL         with --kiss, forward each frame received to that SiDS server\n"
           "                     (the SatNOGS DB: https://db.satnogs.org/api/telemetry/), once,\n"
           "                     in order; frames not taken yet wait in sids-queue.txt\n"
           "  --station CALL     the station's callsign, for --sids\n"
           "  --norad ID         the satellite's NORAD ID, for --sids\n"
           "  --latitude DEG     the station's latitude, decimal degrees north, for --sids\n"
           "  --longitude DEG    the station's longitude, decimal degrees east, for --sids\n"
           "  --sids-dry-run     print each request to standard error instead of sending it\n"
           "  --help             print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: 0 when every command completed (a live session stopped by a signal\n"
           "included), 1 when one failed or a live session could not write, 2 for a usage "
           "error.\n";
}

} // namespace zelto
