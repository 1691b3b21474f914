// A KISS TCP client that reconnects after a pause that doubles.
#include "live/kiss_client.h"

#include <QTcpSocket>

#include <algorithm>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace zelto {

namespace {
constexpr qint64 kReadBufferBytes = 1 << 20;
constexpr int kConnectTimeoutMilliseconds = 15000;

// A peer that stops answering (its host lost power: neither FIN nor RST comes) is given up
// a minute after its last word: 30 s idle, then 3 probes 10 s apart.
void keepAlive(QTcpSocket* socket) {
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = static_cast<int>(socket->socketDescriptor());
    for (const auto& [option, value] :
         {std::pair{TCP_KEEPIDLE, 30}, std::pair{TCP_KEEPINTVL, 10}, std::pair{TCP_KEEPCNT, 3}})
        ::setsockopt(fd, IPPROTO_TCP, option, &value, sizeof value);
}

int pauseAfter(const KissClient::Timing& timing, int failures) {
    int pause = timing.firstRetryMilliseconds;
    for (int i = 1; i < failures && pause < timing.longestRetryMilliseconds; ++i)
        pause *= 2;
    return std::min(pause, timing.longestRetryMilliseconds);
}

QString durationText(std::chrono::milliseconds time) {
    if (time.count() % 60000 == 0)
        return QString::number(time.count() / 60000) + QStringLiteral(" min");
    return QString::number(static_cast<double>(time.count()) / 1000) + QStringLiteral(" s");
}
} // namespace

KissClient::KissClient(QObject* parent) : KissClient(Timing{}, parent) {}

KissClient::KissClient(Timing timing, QObject* parent) : QObject(parent), timing_(timing) {
    retry_.setSingleShot(true);
    // A coarse timer may run late by a twentieth, which the seconds shown would round up.
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &KissClient::connectNow);
    connectTimeout_.setSingleShot(true);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] {
        if (state_ == State::Connecting)
            waitAndRetry(QStringLiteral("No answer"));
    });
    steady_.setSingleShot(true);
    connect(&steady_, &QTimer::timeout, this, [this] { failures_ = 0; });
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, &KissClient::onSilence);
}

KissClient::~KissClient() {
    if (socket_)
        socket_->abort();
}

int KissClient::retryDelaySeconds(int failures) {
    return pauseAfter(Timing{}, failures) / 1000;
}

void KissClient::setSilenceLimit(std::chrono::milliseconds limit) {
    silenceLimit_ = limit;
    silence_.stop();
    if (state_ == State::Connected && limit.count() > 0)
        silence_.start(limit);
}

int KissClient::secondsToRetry() const {
    if (state_ != State::Waiting)
        return 0;
    return (retry_.remainingTime() + 999) / 1000;
}

void KissClient::start(const QString& host, quint16 port) {
    stop();
    host_ = host;
    port_ = port;
    failures_ = 0;
    lastError_.clear();
    connectNow();
}

void KissClient::stop() {
    retry_.stop();
    connectTimeout_.stop();
    steady_.stop();
    silence_.stop();
    if (socket_) {
        QTcpSocket* socket = socket_;
        if (!held_)
            deliver();
        socket_ = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        if (state_ == State::Connected)
            emit connectionLost();
    }
    lostWhileHeld_ = false;
    setState(State::Stopped);
}

void KissClient::retryNow() {
    if (state_ != State::Waiting)
        return;
    retry_.stop();
    connectNow();
}

void KissClient::hold(bool held) {
    held_ = held;
    if (held_)
        return;
    deliver();
    if (lostWhileHeld_) {
        lostWhileHeld_ = false;
        onDisconnected();
    }
}

void KissClient::connectNow() {
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
    }
    socket_ = new QTcpSocket(this);
    // Bounded: the rest waits in the kernel, and the server waits for room.
    socket_->setReadBufferSize(kReadBufferBytes);
    connect(socket_, &QTcpSocket::connected, this, &KissClient::onConnected);
    connect(socket_, &QTcpSocket::readyRead, this, &KissClient::onReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &KissClient::onDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &KissClient::onError);
    setState(State::Connecting);
    connectTimeout_.start(kConnectTimeoutMilliseconds);
    socket_->connectToHost(host_, port_);
}

void KissClient::onConnected() {
    connectTimeout_.stop();
    lastError_.clear();
    keepAlive(socket_);
    // The pauses start again only for a connection that holds: one accepted and closed at
    // once is no better than one refused.
    steady_.start(timing_.steadyMilliseconds);
    if (silenceLimit_.count() > 0)
        silence_.start(silenceLimit_);
    setState(State::Connected);
}

void KissClient::onReadyRead() {
    if (socket_ && socket_->bytesAvailable() > 0) {
        failures_ = 0;
        steady_.stop();
        if (silenceLimit_.count() > 0)
            silence_.start(silenceLimit_);
    }
    if (!held_)
        deliver();
}

void KissClient::onSilence() {
    if (!socket_ || state_ != State::Connected)
        return;
    if (held_) {
        // The bytes of a held connection wait unread: its silence is told once released.
        silence_.start(silenceLimit_);
        return;
    }
    deliver();
    emit connectionLost();
    waitAndRetry(QStringLiteral("no data for ") + durationText(silenceLimit_));
}

void KissClient::deliver() {
    // All that waits goes on at once (at most the read buffer): each hand-over ends with the
    // frames on the disk, and at full speed fewer, larger ones cost fewer syncs.
    while (socket_ && socket_->bytesAvailable() > 0) {
        const QByteArray bytes = socket_->readAll();
        if (bytes.isEmpty())
            break;
        emit received(bytes);
    }
}

void KissClient::onDisconnected() {
    if (!socket_)
        return;
    if (held_) {
        lostWhileHeld_ = true;
        return;
    }
    deliver();
    const bool wasUp = state_ == State::Connected;
    if (wasUp)
        emit connectionLost();
    waitAndRetry(lastError_.isEmpty() ? socket_->errorString() : lastError_);
}

void KissClient::onError() {
    if (!socket_)
        return;
    lastError_ = socket_->errorString();
    // A connection that never came up ends here; one that was up also ends in disconnected().
    if (state_ == State::Connecting) {
        if (held_) {
            lostWhileHeld_ = true;
            return;
        }
        waitAndRetry(lastError_);
    }
}

void KissClient::waitAndRetry(const QString& reason) {
    if (state_ == State::Waiting || state_ == State::Stopped)
        return;
    lastError_ = reason;
    connectTimeout_.stop();
    steady_.stop();
    silence_.stop();
    if (socket_) {
        // Nothing more comes from it: its signals would only tell of this end again.
        socket_->disconnect(this);
        socket_->abort();
    }
    ++failures_;
    pause_ = pauseAfter(timing_, failures_);
    retry_.start(pause_);
    setState(State::Waiting);
}

void KissClient::setState(State state) {
    if (state == state_ && state != State::Waiting)
        return;
    state_ = state;
    emit stateChanged();
}

} // namespace zelto
