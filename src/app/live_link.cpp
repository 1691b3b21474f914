// The window's side of a live session: starting it, holding it for commands, the status line.
#include "app/live_link.h"

#include "app/window_panes.h"
#include "live/kiss_source.h"
#include "live/station.h"
#include "live/text_codec.h"

#include <QLabel>

namespace zelto {

LiveLink::LiveLink(Session& session, WindowPanes& panes, QLabel* status,
                   std::function<void(const QString&)> showMessage, QObject* parent)
    : QObject(parent), session_(session), panes_(panes), status_(status),
      showMessage_(std::move(showMessage)) {
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &LiveLink::showState);
}

LiveLink::~LiveLink() = default;

void LiveLink::start(const KissServerAddress& address, const StationSettings& station) {
    stop();
    if (station.forwarding)
        if (const std::string problem = stationSettingsProblem(station); !problem.empty()) {
            showMessage_(fromWindows1252(problem));
            return;
        }
    LiveSession::Observer& observer = *this;
    auto live = std::make_unique<LiveSession>(session_, observer);
    try {
        addStationSinks(*live, session_, panes_, station, false);
    } catch (const std::exception& error) {
        showMessage_(fromWindows1252(error.what()));
        return;
    }
    live_ = std::move(live);
    // The incomplete thumbnails listed from now on are those the session meets.
    panes_.listClear(ListPane::ListBox3);
    session_.resetHiddenLists();
    status_->show();
    live_->start(std::make_unique<KissSource>(address.host, address.port));
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

void LiveLink::commandStarts() {
    if (commandDepth_++ == 0 && live_)
        live_->hold(true);
}

void LiveLink::commandEnded() {
    if (--commandDepth_ > 0)
        return;
    if (live_)
        live_->hold(false);
}

void LiveLink::framesArrive() {
    panes_.beginCommand();
}

void LiveLink::changed(LiveSession::Change what) {
    switch (what) {
    case LiveSession::Change::Frames:
        panes_.endCommand();
        panes_.keepLastReportLines(kReportLines);
        break;
    case LiveSession::Change::Ended: {
        panes_.endCommand();
        panes_.keepLastReportLines(kReportLines);
        // Nothing more that comes could be kept: the session has stopped.
        countdown_.stop();
        showState();
        emit activeChanged(false);
        showMessage_(fromWindows1252(live_->state().stoppedFor));
        return;
    }
    case LiveSession::Change::Source:
    case LiveSession::Change::FrameCut:
    case LiveSession::Change::Forwarding:
        break;
    }
    showState();
}

void LiveLink::told(const std::string& text) {
    panes_.reportAppend(" >>>  " + text);
    panes_.endCommand(); // shown at once
}

QString LiveLink::stateText(const LiveState& state) {
    QString text = QStringLiteral("%1 %2: ").arg(fromWindows1252(state.sourceKind),
                                                 fromWindows1252(state.sourceName));
    const QString reason = fromWindows1252(state.source.reason);
    switch (state.source.phase) {
    case SourceState::Phase::Connecting:
        text += QStringLiteral("connecting...");
        break;
    case SourceState::Phase::Connected:
        text += QStringLiteral("connected");
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
    text += QStringLiteral(", %1 frames received").arg(state.counts.frames);
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
    if (live_)
        status_->setText(stateText(live_->state()));
}

} // namespace zelto
