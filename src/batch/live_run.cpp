// Zeltodecoder-batch --kiss: a live session until SIGINT or SIGTERM, told on standard error.
#include "batch/live_run.h"

#include "batch/buffered_output.h"
#include "batch/fd_write.h"
#include "batch/live_panes.h"
#include "commands/live_session.h"
#include "live/audio_source.h"
#include "live/kiss_source.h"
#include "live/pipe_source.h"
#include "live/sids_queue.h"
#include "live/station.h"
#include "live/text_codec.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace zelto {

namespace {

int signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 's';
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop through a pipe, since a signal handler may do
// nothing more.
bool catchStopSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

std::string seconds(int n) {
    return std::to_string(n) + " s";
}

// The batch tool's words for a live session: one stderr line per change that matters, after
// the report lines decoded before it.
class StderrObserver : public LiveSession::Observer {
  public:
    StderrObserver(BufferedOutput& out, std::string label) : out_(out), label_(std::move(label)) {}

    void attach(LiveSession& live) { live_ = &live; }
    int status() const { return status_; }

    void tell(const std::string& text) {
        out_.flush(); // what was decoded before goes first
        writeErrorLine(label_ + ": " + text);
    }

    void told(const std::string& text) override { tell(text); }

    void changed(LiveSession::Change what) override {
        const LiveState state = live_->state();
        switch (what) {
        case LiveSession::Change::Frames:
            out_.flush(); // the frames of each read from the source show at once
            break;
        case LiveSession::Change::FrameCut:
            tell("a frame cut off by the lost connection was dropped");
            break;
        case LiveSession::Change::Source:
            sourceChanged(state);
            break;
        case LiveSession::Change::Forwarding:
            tellForwarding(*state.forwarding);
            break;
        case LiveSession::Change::Ended:
            tell(state.stoppedFor);
            status_ = 1;
            QCoreApplication::exit();
            break;
        }
    }

  private:
    // Told once per change of phase: a sound card's level changes every second.
    void sourceChanged(const LiveState& state) {
        const SourceState& source = state.source;
        const bool again = source.phase == phase_ && source.reason == reason_;
        phase_ = source.phase;
        reason_ = source.reason;
        if (again && source.phase != SourceState::Phase::Waiting)
            return;
        switch (source.phase) {
        case SourceState::Phase::Connected:
            tell(state.sourceKind == "Audio" ? "listening, " + source.detail : "connected");
            break;
        case SourceState::Phase::Waiting:
            tell(source.reason + "; next try in " + seconds(source.secondsToRetry));
            break;
        case SourceState::Phase::Stopped:
            // A source that ends by itself (a pipe at its end) ends the run.
            if (!source.reason.empty()) {
                tell(source.reason);
                QCoreApplication::exit();
            }
            break;
        case SourceState::Phase::Connecting:
            break;
        }
    }

    // What becomes of forwarding, told as it changes rather than per frame.
    void tellForwarding(const ForwardingState& state) {
        if (state.lastError == lastError_)
            return;
        lastError_ = state.lastError;
        if (state.lastError.empty())
            tell("SiDS: the server takes frames again, " + std::to_string(state.waiting) +
                 " waiting");
        else
            tell("SiDS: " + state.lastError + "; " + std::to_string(state.waiting) +
                 " frames waiting, next try in " + seconds(state.secondsToRetry));
    }

    BufferedOutput& out_;
    std::string label_;
    LiveSession* live_ = nullptr;
    int status_ = 0;
    std::string lastError_;
    SourceState::Phase phase_ = SourceState::Phase::Stopped;
    std::string reason_;
};

std::unique_ptr<FrameSource> sourceOf(const BatchOptions& options) {
    if (!options.audio) {
        auto source =
            std::make_unique<KissSource>(fromWindows1252(options.kissHost), options.kissPort);
        source->client().setSilenceLimit(std::chrono::minutes(options.kissSilenceMinutes));
        return source;
    }
    if (options.audioDevice == "-")
        return std::make_unique<PipeSource>(STDIN_FILENO, options.audioRate);
    // As --audio-devices printed it, in the terminal's UTF-8.
    return std::make_unique<AudioSource>(QString::fromStdString(options.audioDevice));
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "Zeltodecoder-batch";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

} // namespace

int listAudioDevices() {
    application();
    std::string lines;
    for (const QString& name : AudioSource::inputNames())
        lines += name.toStdString() + "\n"; // a terminal's text, as the user types it back
    return writeAllToFd(1, lines) == 0 ? 0 : 1;
}

int runLiveSession(Session& session, const BatchOptions& options, BufferedOutput& out) {
    application();
    std::unique_ptr<FrameSource> source = sourceOf(options);
    StderrObserver observer(out, source->name());
    if (!catchStopSignals()) {
        observer.tell("cannot catch SIGINT and SIGTERM");
        return 1;
    }

    LivePanes panes(out);
    LiveSession live(session, observer);
    observer.attach(live);
    try {
        addStationSinks(live, session, panes, options.station, options.sidsDryRun,
                        {fromWindows1252(options.kissServeAddress), options.kissServePort});
    } catch (const std::exception& error) {
        observer.tell(error.what());
        return 1;
    }
    QSocketNotifier stopRequest(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequest, &QSocketNotifier::activated, [] { QCoreApplication::exit(); });

    observer.tell(options.audio ? "opening" : "connecting");
    live.start(std::move(source));
    QCoreApplication::exec();
    // What has come in is decoded before the end; a frame begun is dropped.
    live.stop();
    const LiveState state = live.state();
    std::string forwarded;
    if (state.forwarding && !state.forwarding->dryRun)
        forwarded = "; SiDS: " + std::to_string(state.forwarding->sent) + " sent, " +
                    std::to_string(state.forwarding->waiting) + " waiting";
    observer.tell("stopped: " + std::to_string(state.counts.frames) + " frames received, " +
                  std::to_string(state.counts.cut) + " cut off, " +
                  std::to_string(state.counts.failed) + " not decoded" + forwarded);
    return observer.status();
}

} // namespace zelto
