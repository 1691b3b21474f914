// Zeltodecoder-batch: decodes beacon captures into the current directory without a window.

#include "batch/batch_options.h"
#include "batch/batch_run.h"
#include "batch/buffered_output.h"
#include "batch/fd_write.h"
#include "batch/live_run.h"
#include "batch/progress_line.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace zelto;
    // Under a file size limit (`ulimit -f`) a write past it is to fail as on a full disk,
    // with "Disk full", rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of standard output that goes (`| head`, a log collector restarted) is to fail
    // that write alone: decoding and keeping frames go on.
    std::signal(SIGPIPE, SIG_IGN);
    const char* token = std::getenv("SATNOGS_DB_TOKEN"); // kept out of the list of processes
    const BatchOptions options = parseBatchArguments(
        std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), token ? token : "");
    switch (options.action) {
    case BatchOptions::Action::UsageError:
        if (!options.problem.empty())
            writeErrorLine(options.problem);
        writeAllToFd(2, batchUsageLine() + "\n");
        return 2;
    case BatchOptions::Action::Help:
        return writeAllToFd(1, batchHelpText()) == 0 ? 0 : 1;
    case BatchOptions::Action::Version:
        return writeAllToFd(1, batchVersionLine() + "\n") == 0 ? 0 : 1;
    case BatchOptions::Action::ListAudioDevices:
        return listAudioDevices();
    case BatchOptions::Action::Decode:
        break;
    }
    ProgressLine progress(2);
    // A progress line on the terminal that also shows the reports is erased before them.
    const bool sharedTerminal = progress.active() && ::isatty(1) == 1;
    BufferedOutput out(1, sharedTerminal ? std::function<void()>([&] { progress.clear(); })
                                         : std::function<void()>());
    return runBatch(options, out, progress);
}
