#include "app/live_link.h"

#include "live/text_codec.h"
#include "app/window_panes.h"

#include <QLabel>

namespace zelto {

LiveLink::LiveLink(Session& session, WindowPanes& panes, QLabel* status,
                   std::function<void(const QString&)> showMessage, QObject* parent)
    : QObject(parent), session_(session), panes_(panes), status_(status),
      showMessage_(std::move(showMessage)) {
    connect(&client_, &KissClient::received, this, &LiveLink::onReceived);
    connect(&client_, &KissClient::connectionLost, this, [this] {
        if (decoder_)
            decoder_->connectionLost();
        showState();
    });
    connect(&client_, &KissClient::stateChanged, this, &LiveLink::showState);
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &LiveLink::showState);
}

LiveLink::~LiveLink() = default;

void LiveLink::start(const KissServerAddress& address, const StationSettings& station) {
    stop();
    forwarder_.reset();
    if (station.forwarding) {
        if (const std::string problem = stationSettingsProblem(station); !problem.empty()) {
            showMessage_(QString::fromStdString(problem));
            return;
        }
        try {
            forwarder_ = std::make_unique<SidsForwarder>(
                station, session_.workFolder / kSidsQueueName, false);
        } catch (const std::exception& error) {
            showMessage_(fromWindows1252(error.what()));
            return;
        }
        connect(forwarder_.get(), &SidsForwarder::stateChanged, this, &LiveLink::showState);
        connect(forwarder_.get(), &SidsForwarder::told, this, [this](const QString& text) {
            panes_.reportAppend(" >>>  SiDS: " + text.toStdString());
            panes_.endCommand(); // shown at once
        });
    }
    address_ = address;
    stoppedFor_.clear();
    // The incomplete thumbnails listed from now on are those the session meets.
    panes_.listClear(ListPane::ListBox3);
    session_.resetHiddenLists();
    decoder_ = std::make_unique<LiveDecoder>(session_, panes_, [this](const std::string& message) {
        panes_.reportAppend(" >>>  " + message);
    });
    if (forwarder_)
        decoder_->onKeptFrame([this](std::string_view frame, LiveDecoder::Clock::time_point at) {
            forwarder_->forward(frame, at);
        });
    status_->show();
    client_.start(address.host, address.port);
    countdown_.start();
    emit activeChanged(true);
}

void LiveLink::stop() {
    if (!active())
        return;
    client_.stop(); // what has come in is decoded first
    countdown_.stop();
    showState();
    emit activeChanged(false);
}

void LiveLink::commandStarts() {
    if (commandDepth_++ == 0)
        client_.hold(true);
}

void LiveLink::commandEnded() {
    if (--commandDepth_ > 0)
        return;
    if (decoder_)
        decoder_->storeChanged();
    client_.hold(false);
}

void LiveLink::onReceived(const QByteArray& bytes) {
    if (!decoder_)
        return;
    QString failure;
    panes_.beginCommand();
    try {
        decoder_->receive(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
            LiveDecoder::Clock::now());
    } catch (const std::exception& error) {
        failure = fromWindows1252(error.what());
    }
    panes_.endCommand();
    panes_.keepLastReportLines(kReportLines);
    if (failure.isEmpty()) {
        showState();
        return;
    }
    // Nothing more that comes could be kept.
    stoppedFor_ = failure;
    stop();
    showMessage_(failure);
}

QString LiveLink::stateText(const KissServerAddress& address, KissClient::State state,
                            const QString& reason, int secondsToRetry, const LiveCounts& counts) {
    QString text = QStringLiteral("KISS %1:%2: ").arg(address.host).arg(address.port);
    switch (state) {
    case KissClient::State::Connecting:
        text += QStringLiteral("connecting...");
        break;
    case KissClient::State::Connected:
        text += QStringLiteral("connected");
        break;
    case KissClient::State::Waiting:
        text += QStringLiteral("lost (%1), next try in %2 s").arg(reason).arg(secondsToRetry);
        break;
    case KissClient::State::Stopped:
        text += reason.isEmpty() ? QStringLiteral("disconnected")
                                 : QStringLiteral("stopped: %1").arg(reason);
        break;
    }
    text += QStringLiteral(", %1 frames received").arg(counts.frames);
    if (counts.cut > 0)
        text += QStringLiteral(", %1 cut off").arg(counts.cut);
    if (counts.failed > 0)
        text += QStringLiteral(", %1 not decoded").arg(counts.failed);
    return text;
}

QString LiveLink::forwardingText(const SidsForwarder::State& state) {
    QString text = QStringLiteral("SiDS: %1 sent, %2 waiting").arg(state.sent).arg(state.waiting);
    if (!state.lastError.isEmpty())
        text += QStringLiteral(" (%1, next try in %2 s)")
                    .arg(state.lastError)
                    .arg(state.secondsToRetry);
    return text;
}

void LiveLink::showState() {
    const LiveCounts counts = decoder_ ? decoder_->counts() : LiveCounts{};
    QString text =
        stateText(address_, client_.state(),
                  client_.state() == KissClient::State::Stopped ? stoppedFor_ : client_.lastError(),
                  client_.secondsToRetry(), counts);
    if (forwarder_)
        text += QStringLiteral("; ") + forwardingText(forwarder_->state());
    status_->setText(text);
}

} // namespace zelto
