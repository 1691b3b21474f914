#include "batch/live_run.h"

#include "batch/buffered_output.h"
#include "batch/fd_write.h"
#include "batch/live_panes.h"
#include "core/run_error.h"
#include "decode/live_decoder.h"
#include "live/kiss_client.h"
#include "live/sids_forwarder.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <functional>
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

QString seconds(int n) {
    return QString::number(n) + QStringLiteral(" s");
}

// What becomes of forwarding, told as it changes rather than per frame.
void tellForwarding(SidsForwarder& forwarder, const std::function<void(const std::string&)>& tell) {
    auto lastError = std::make_shared<QString>();
    QObject::connect(&forwarder, &SidsForwarder::stateChanged, [&forwarder, tell, lastError] {
        const SidsForwarder::State state = forwarder.state();
        if (state.lastError == *lastError)
            return;
        *lastError = state.lastError;
        if (state.lastError.isEmpty())
            tell("SiDS: the server takes frames again, " + std::to_string(state.waiting) +
                 " waiting");
        else
            tell("SiDS: " + state.lastError.toStdString() + "; " + std::to_string(state.waiting) +
                 " frames waiting, next try in " + seconds(state.secondsToRetry).toStdString());
    });
    QObject::connect(&forwarder, &SidsForwarder::told,
                     [tell](const QString& text) { tell("SiDS: " + text.toStdString()); });
    QObject::connect(&forwarder, &SidsForwarder::requestShown,
                     [tell](const QString& text) { tell("SiDS dry run: " + text.toStdString()); });
}

} // namespace

int runLiveSession(Session& session, const std::string& host, std::uint16_t port,
                   const StationSettings& station, bool dryRun, int silenceMinutes,
                   BufferedOutput& out) {
    std::unique_ptr<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "Zeltodecoder-batch";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);

    const std::string label = (host.find(':') != std::string::npos ? "[" + host + "]" : host) +
                              ":" + std::to_string(port);
    const auto tell = [&](const std::string& text) {
        out.flush(); // what was decoded before goes first
        writeErrorLine(label + ": " + text);
    };
    if (!catchStopSignals()) {
        tell("cannot catch SIGINT and SIGTERM");
        return 1;
    }

    LivePanes panes(out);
    LiveDecoder decoder(session, panes, tell);
    std::unique_ptr<SidsForwarder> forwarder;
    if (station.forwarding) {
        try {
            forwarder = std::make_unique<SidsForwarder>(
                station, session.workFolder / kSidsQueueName, dryRun);
        } catch (const std::exception& error) {
            tell(std::string(kSidsQueueName) + ": " + error.what());
            return 1;
        }
        tellForwarding(*forwarder, tell);
        decoder.onKeptFrame([&](std::string_view frame, LiveDecoder::Clock::time_point received) {
            forwarder->forward(frame, received);
        });
    }
    KissClient client;
    client.setSilenceLimit(std::chrono::minutes(silenceMinutes));
    int status = 0;
    const auto stopFor = [&](const std::string& message) {
        tell(message);
        status = 1;
        QCoreApplication::exit();
    };
    QObject::connect(&client, &KissClient::received, [&](const QByteArray& bytes) {
        if (status != 0)
            return;
        try {
            decoder.receive(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                LiveDecoder::Clock::now());
            out.flush(); // the frames of each read from the server show at once
        } catch (const std::exception& error) {
            stopFor(error.what());
        }
    });
    QObject::connect(&client, &KissClient::connectionLost, [&] {
        const long cutBefore = decoder.counts().cut;
        decoder.connectionLost();
        if (decoder.counts().cut > cutBefore)
            tell("a frame cut off by the lost connection was dropped");
    });
    QObject::connect(&client, &KissClient::stateChanged, [&] {
        switch (client.state()) {
        case KissClient::State::Connected:
            tell("connected");
            break;
        case KissClient::State::Waiting:
            tell((client.lastError() + QStringLiteral("; next try in ") +
                  seconds(client.secondsToRetry()))
                     .toStdString());
            break;
        case KissClient::State::Connecting:
        case KissClient::State::Stopped:
            break;
        }
    });
    QSocketNotifier stopRequest(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequest, &QSocketNotifier::activated, [] { QCoreApplication::exit(); });

    tell("connecting");
    client.start(QString::fromStdString(host), port);
    QCoreApplication::exec();
    // What has come in is decoded before the end; a frame begun is dropped.
    client.stop();
    const LiveCounts& counts = decoder.counts();
    std::string forwarded;
    if (forwarder && !dryRun)
        forwarded = "; SiDS: " + std::to_string(forwarder->state().sent) + " sent, " +
                    std::to_string(forwarder->state().waiting) + " waiting";
    tell("stopped: " + std::to_string(counts.frames) + " frames received, " +
         std::to_string(counts.cut) + " cut off, " + std::to_string(counts.failed) +
         " not decoded" + forwarded);
    return status;
}

} // namespace zelto
