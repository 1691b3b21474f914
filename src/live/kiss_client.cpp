// A KISS TCP client that reconnects after a pause that doubles.
#include "live/kiss_client.h"

#include <QTcpSocket>

#include <algorithm>

namespace zelto {

namespace {
constexpr int kLongestDelaySeconds = 60;
constexpr qint64 kReadBufferBytes = 1 << 20;
constexpr int kConnectTimeoutMilliseconds = 15000;
} // namespace

KissClient::KissClient(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    // A coarse timer may run late by a twentieth, which the seconds shown would round up.
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &KissClient::connectNow);
    connectTimeout_.setSingleShot(true);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] {
        if (state_ == State::Connecting)
            waitAndRetry(QStringLiteral("No answer"));
    });
}

KissClient::~KissClient() {
    if (socket_)
        socket_->abort();
}

int KissClient::retryDelaySeconds(int failures) {
    int delay = 1;
    for (int i = 1; i < failures && delay < kLongestDelaySeconds; ++i)
        delay *= 2;
    return std::min(delay, kLongestDelaySeconds);
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
    failures_ = 0;
    lastError_.clear();
    setState(State::Connected);
}

void KissClient::onReadyRead() {
    if (!held_)
        deliver();
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
    if (socket_) {
        // Nothing more comes from it: its signals would only tell of this end again.
        socket_->disconnect(this);
        socket_->abort();
    }
    ++failures_;
    retry_.start(retryDelaySeconds(failures_) * 1000);
    setState(State::Waiting);
}

void KissClient::setState(State state) {
    if (state == state_ && state != State::Waiting)
        return;
    state_ = state;
    emit stateChanged();
}

} // namespace zelto
