// The window's side of a live session: starting it, holding its decoding for commands, the
// station settings applied while it runs, the status line.
#include "app/live_link.h"

#include "app/audio_dialog.h"
#include "app/window_panes.h"
#include "commands/decoder_sink.h"
#include "live/audio_source.h"
#include "live/kiss_source.h"
#include "live/sids_queue.h"
#include "live/sids_sink.h"
#include "live/station.h"
#include "live/text_codec.h"

#include <QFile>
#include <QLabel>
#include <QTimer>

#include <utility>

namespace zelto {

namespace {

bool sameForwarding(const StationSettings& a, const StationSettings& b) {
    return a.callsign == b.callsign && a.latitude == b.latitude && a.longitude == b.longitude &&
           a.noradId == b.noradId && a.serverUrl == b.serverUrl;
}

QString forwardingTarget(const StationSettings& station) {
    return QStringLiteral("%1 as %2")
        .arg(QString::fromStdString(station.serverUrl), QString::fromStdString(station.callsign));
}

} // namespace

LiveLink::LiveLink(Session& session, WindowPanes& panes, QLabel* status,
                   std::function<void(const QString&)> showMessage, QObject* parent)
    : QObject(parent), session_(session), panes_(panes), sessionPanes_(panes), status_(status),
      showMessage_(std::move(showMessage)) {
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &LiveLink::showState);
}

LiveLink::~LiveLink() = default;

void LiveLink::start(const KissServerAddress& address, const StationSettings& station) {
    startWith(std::make_unique<KissSource>(address.host, address.port), station);
}

void LiveLink::startAudio(const QString& device, const StationSettings& station) {
    startWith(std::make_unique<AudioSource>(device), station);
}

void LiveLink::startWith(std::unique_ptr<FrameSource> source, const StationSettings& station) {
    stop();
    if (station.forwarding)
        if (const std::string problem = stationSettingsProblem(station); !problem.empty()) {
            showMessage_(fromWindows1252(problem) +
                         QStringLiteral(" (File > Station settings...)"));
            return;
        }
    LiveSession::Observer& observer = *this;
    auto live = std::make_unique<LiveSession>(session_, observer);
    try {
        addStationSinks(*live, session_, sessionPanes_, station, false, savedKissServe());
    } catch (const std::exception& error) {
        showMessage_(fromWindows1252(error.what()));
        return;
    }
    live_ = std::move(live);
    station_ = station;
    notice_.clear();
    // The incomplete thumbnails listed from now on are those the session meets.
    panes_.listClear(ListPane::ListBox3);
    session_.resetHiddenLists();
    status_->show();
    live_->start(std::move(source));
    if (holding_)
        live_->hold(true);
    countdown_.start();
    emit activeChanged(true);
}

void LiveLink::stop() {
    if (!active())
        return;
    live_->stop(); // what has come in is decoded first
    countdown_.stop();
    showState();
    emit activeChanged(false);
}

QString LiveLink::sourceName() const {
    return live_ ? fromWindows1252(live_->state().sourceName) : QString();
}

void LiveLink::applyStation(const StationSettings& station) {
    const StationSettings before = station_;
    station_ = station;
    if (!active())
        return;
    const std::string problem = station.forwarding ? stationSettingsProblem(station) : "";
    const LiveState state = live_->state();
    const bool wasOn = state.forwarding.has_value();
    if (!station.forwarding || !problem.empty()) {
        if (!wasOn)
            return;
        live_->removeSink(SidsSink::kKind);
        notice(problem.empty()
                   ? QStringLiteral("forwarding stopped, %1 frames wait in %2")
                         .arg(state.forwarding->waiting)
                         .arg(QString::fromLatin1(kSidsQueueName))
                   : QStringLiteral("forwarding stopped: %1").arg(fromWindows1252(problem)));
        return;
    }
    if (wasOn && sameForwarding(before, station))
        return;
    // The forwarder gone first: the new one takes over the queue file, and a frame whose
    // answer the old one did not hear waits there to go again.
    live_->removeSink(SidsSink::kKind);
    try {
        live_->replaceSink(forwardingSink(session_, station, false), DecoderSink::kKind);
    } catch (const std::exception& error) {
        notice(QStringLiteral("forwarding stopped: %1").arg(fromWindows1252(error.what())));
        return;
    }
    notice((wasOn ? QStringLiteral("forwarding now to %1") : QStringLiteral("forwarding to %1"))
               .arg(forwardingTarget(station)));
}

void LiveLink::notice(const QString& text) {
    notice_ = QStringLiteral("Station settings applied: ") + text;
    noticeAge_.start();
    showState();
}

void LiveLink::retryNow() {
    if (live_)
        live_->retryNow();
}

void LiveLink::commandStarts(bool changesStore) {
    ++commandDepth_;
    if (changesStore && !holding_) {
        holding_ = true;
        if (live_)
            live_->hold(true);
    }
}

void LiveLink::commandEnded() {
    if (--commandDepth_ > 0)
        return;
    if (holding_) {
        holding_ = false;
        if (live_)
            live_->hold(false);
    }
    for (const std::string& text : std::exchange(toldInCommand_, {}))
        told(text);
    if (std::exchange(endedInCommand_, false))
        ended();
}

void LiveLink::framesArrive(std::chrono::system_clock::time_point received) {
    sessionPanes_.setReceived(received);
    if (commandDepth_ == 0)
        panes_.beginCommand();
}

void LiveLink::changed(LiveSession::Change what) {
    switch (what) {
    case LiveSession::Change::Frames:
        // A command running meanwhile shows its own progress and ends it; behind its box the
        // frames decoded show at once.
        if (commandDepth_ == 0) {
            panes_.endCommand();
            panes_.keepLastReportLines(kReportLines);
        } else if (!holding_) {
            panes_.flushReport();
        }
        break;
    case LiveSession::Change::Ended:
        if (commandDepth_ > 0)
            endedInCommand_ = true;
        else
            ended();
        return;
    case LiveSession::Change::Source:
    case LiveSession::Change::FrameCut:
    case LiveSession::Change::Forwarding:
        break;
    }
    showState();
}

void LiveLink::ended() {
    panes_.endCommand();
    panes_.keepLastReportLines(kReportLines);
    // Nothing more that comes could be kept: the session has stopped.
    countdown_.stop();
    showState();
    emit activeChanged(false);
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(session_.workFolder.string()));
    const QString text = QStringLiteral("Live session stopped: %1 (writing in %2)")
                             .arg(fromWindows1252(live_->state().stoppedFor), folder);
    // The box opens from the event loop, not from inside the socket's signal.
    QTimer::singleShot(0, this, [this, text] { showMessage_(text); });
}

void LiveLink::told(const std::string& text) {
    if (commandDepth_ > 0) {
        toldInCommand_.push_back(text);
        return;
    }
    panes_.reportAppend(SessionPanes::timeOfDay(std::chrono::system_clock::now()) + " >>>  " +
                        text);
    panes_.endCommand(); // shown at once
}

QString LiveLink::stateText(const LiveState& state) {
    QString text = QStringLiteral("%1 %2: ").arg(fromWindows1252(state.sourceKind),
                                                 fromWindows1252(state.sourceName));
    const QString reason = fromWindows1252(state.source.reason);
    // A sound card is listened to, a server connected to.
    const bool audio = state.sourceKind == "Audio";
    switch (state.source.phase) {
    case SourceState::Phase::Connecting:
        text += audio ? QStringLiteral("opening...") : QStringLiteral("connecting...");
        break;
    case SourceState::Phase::Connected:
        text += audio ? QStringLiteral("listening, %1").arg(fromWindows1252(state.source.detail))
                      : QStringLiteral("connected");
        break;
    case SourceState::Phase::Waiting:
        text += QStringLiteral("lost (%1), next try in %2 s")
                    .arg(reason)
                    .arg(state.source.secondsToRetry);
        break;
    case SourceState::Phase::Stopped:
        text += state.stoppedFor.empty()
                    ? QStringLiteral("disconnected")
                    : QStringLiteral("stopped: %1").arg(fromWindows1252(state.stoppedFor));
        break;
    }
    text += (audio ? QStringLiteral(", %1 frames") : QStringLiteral(", %1 frames received"))
                .arg(state.counts.frames);
    if (state.counts.cut > 0)
        text += QStringLiteral(", %1 cut off").arg(state.counts.cut);
    if (state.counts.failed > 0)
        text += QStringLiteral(", %1 not decoded").arg(state.counts.failed);
    if (const auto& forwarding = state.forwarding) {
        text += QStringLiteral("; SiDS: %1 sent, %2 waiting")
                    .arg(forwarding->sent)
                    .arg(forwarding->waiting);
        if (!forwarding->lastError.empty())
            text += QStringLiteral(" (%1, next try in %2 s)")
                        .arg(fromWindows1252(forwarding->lastError))
                        .arg(forwarding->secondsToRetry);
    }
    return text;
}

void LiveLink::showState() {
    if (!live_)
        return;
    QString text = stateText(live_->state());
    if (!notice_.isEmpty() && noticeAge_.elapsed() < kNoticeMilliseconds)
        text += QStringLiteral(" | ") + notice_;
    status_->setText(text);
}

} // namespace zelto
