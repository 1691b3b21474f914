#pragma once

#include "live/sids_report.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// What the command line asks of the batch decoder.
struct BatchOptions {
    enum class Action { Decode, Help, Version, ListAudioDevices, UsageError };
    Action action = Action::Decode;
    bool puzzles = false;           // run Puzzles > Decode after the files
    std::vector<std::string> files; // captures and HEX frame files, in command-line order
    std::string previewsFolder;     // --previews DIR: where the previews go; empty without it
    // --kiss HOST:PORT: a live session on that KISS TCP server after the files.
    std::string kissHost;
    std::uint16_t kissPort = 0;
    int kissSilenceMinutes = 10; // --kiss-silence MINUTES: a connection this quiet is lost; 0: off
    // --audio DEVICE: a live session on that sound card input instead (empty: the default
    // one); --audio -: raw signed 16-bit little-endian mono on standard input at --rate HZ.
    bool audio = false;
    std::string audioDevice;
    int audioRate = 48000;
    // --kiss-serve [ADDRESS:]PORT: the frames of the live session served to KISS clients.
    std::string kissServeAddress = "127.0.0.1";
    std::uint16_t kissServePort = 0;
    // --sids URL --station CALL --norad ID --latitude DEG --longitude DEG: forward each frame
    // received live; --sids-dry-run: print each request instead of sending it.
    StationSettings station;
    bool sidsDryRun = false;
    // --fetch NORAD [--since YYYY-MM-DD] [--satnogs-db URL] [--token TOKEN]: before the files,
    // the frames that the SatNOGS DB holds of the satellite, kept in a JSON file and decoded.
    struct Fetch {
        long noradId = 0;  // none without --fetch
        std::string since; // YYYY-MM-DD: from 00:00:00 UTC of that day on; empty for all
        std::string server = "https://db.satnogs.org";
        std::string token; // --token, else the environment's SATNOGS_DB_TOKEN; never shown
    } fetch;
    std::string problem; // what is wrong, for a usage error that can say more than the usage
};

// Reads `Zeltodecoder-batch [--fetch NORAD [FETCH OPTIONS]] [--puzzles] [--previews DIR] [--kiss
// HOST:PORT [SIDS OPTIONS]] [FILE ...]`, `--help` or `--version` (arguments without the program
// name). Options may stand anywhere before "--"; everything after it, and a lone "-", is a FILE.
// An option's value is the next argument or follows "=". The first of --help, --version or a
// wrong option decides. `environmentToken` is SATNOGS_DB_TOKEN's value, for --fetch.
BatchOptions parseBatchArguments(const std::vector<std::string>& arguments,
                                 std::string_view environmentToken = {});

// Whether the options start a live session after the files.
bool startsLiveSession(const BatchOptions& options);

// "HOST:PORT", "[IPv6]:PORT": false unless both are there and the port is 1 to 65535.
bool splitHostPort(std::string_view text, std::string& host, std::uint16_t& port);

// One line, without its line end.
std::string batchUsageLine();
std::string batchVersionLine();
// What --help prints, line ends included.
std::string batchHelpText();

} // namespace zelto
