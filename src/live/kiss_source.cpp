// A KISS TCP client as the frame source of a live session.
#include "live/kiss_source.h"

#include "live/text_codec.h"

#include <chrono>

namespace zelto {

KissSource::KissSource(QString host, quint16 port, QObject* parent)
    : QObject(parent), host_(std::move(host)), port_(port) {
    connect(&client_, &KissClient::received, this, [this](const QByteArray& bytes) {
        if (listener_)
            listener_->bytes(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                std::chrono::system_clock::now());
    });
    connect(&client_, &KissClient::connectionLost, this, [this] {
        if (listener_)
            listener_->broken();
    });
    connect(&client_, &KissClient::stateChanged, this, [this] {
        if (listener_)
            listener_->changed();
    });
}

std::string KissSource::name() const {
    const std::string host = toWindows1252(host_);
    return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
           std::to_string(port_);
}

void KissSource::start(Listener& listener) {
    listener_ = &listener;
    client_.start(host_, port_);
}

SourceState KissSource::state() const {
    SourceState state;
    switch (client_.state()) {
    case KissClient::State::Stopped:
        state.phase = SourceState::Phase::Stopped;
        return state;
    case KissClient::State::Connecting:
        state.phase = SourceState::Phase::Connecting;
        break;
    case KissClient::State::Connected:
        state.phase = SourceState::Phase::Connected;
        break;
    case KissClient::State::Waiting:
        state.phase = SourceState::Phase::Waiting;
        break;
    }
    state.reason = toWindows1252(client_.lastError());
    state.secondsToRetry = client_.secondsToRetry();
    return state;
}

} // namespace zelto
