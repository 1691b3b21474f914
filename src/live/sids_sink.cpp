// Forwarding to a SiDS server as a sink of the live session.
#include "live/sids_sink.h"

#include "live/text_codec.h"

namespace zelto {

SidsSink::SidsSink(const StationSettings& station, const std::filesystem::path& queueFile,
                   bool dryRun, QObject* parent)
    : QObject(parent), dryRun_(dryRun), forwarder_(station, queueFile, dryRun) {}

void SidsSink::attach(SinkHost& host) {
    connect(&forwarder_, &SidsForwarder::stateChanged, this, [&host] { host.sinkChanged(); });
    connect(&forwarder_, &SidsForwarder::told, this,
            [&host](const QString& text) { host.tell("SiDS: " + toWindows1252(text)); });
    connect(&forwarder_, &SidsForwarder::requestShown, this,
            [&host](const QString& text) { host.tell("SiDS dry run: " + toWindows1252(text)); });
}

void SidsSink::take(const ReceivedFrames& frames) {
    for (const std::string& frame : frames.keptFrames)
        forwarder_.forward(frame, frames.received);
}

void SidsSink::describe(LiveState& state) const {
    const SidsForwarder::State now = forwarder_.state();
    state.forwarding = ForwardingState{dryRun_, now.sent, now.waiting, toWindows1252(now.lastError),
                                       now.secondsToRetry};
}

} // namespace zelto
