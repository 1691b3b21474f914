// Raw audio from a pipe as the frame source of a live session.
#include "live/pipe_source.h"

#include "core/run_error.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace zelto {

namespace {
constexpr std::size_t kReadBytes = 1 << 16;
} // namespace

PipeSource::PipeSource(int fd, int sampleRate, QObject* parent)
    : QObject(parent), fd_(fd), sampleRate_(sampleRate), audio_(sampleRate) {}

PipeSource::~PipeSource() = default;

std::string PipeSource::name() const {
    return (fd_ == 0 ? std::string("standard input") : "descriptor " + std::to_string(fd_)) +
           " at " + std::to_string(sampleRate_) + " Hz";
}

void PipeSource::start(Listener& listener) {
    listener_ = &listener;
    phase_ = SourceState::Phase::Connected;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PipeSource::readSome);
    listener.changed();
}

void PipeSource::stop() {
    if (phase_ == SourceState::Phase::Stopped)
        return;
    ended({});
}

void PipeSource::hold(bool held) {
    held_ = held;
    if (notifier_)
        notifier_->setEnabled(!held && phase_ != SourceState::Phase::Stopped);
}

SourceState PipeSource::state() const {
    SourceState state;
    state.phase = phase_;
    state.reason = reason_;
    if (phase_ == SourceState::Phase::Connected)
        state.detail = audio_.levelText();
    return state;
}

void PipeSource::readSome() {
    char buffer[kReadBytes];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN)
            return;
        ended(ioErrorMessage(errno));
        return;
    }
    if (n == 0) {
        ended("the pipe has ended");
        return;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    const std::size_t samples = pending_.size() / 2;
    std::vector<std::int16_t> values(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        const auto low = static_cast<unsigned char>(pending_[2 * i]);
        const auto high = static_cast<unsigned char>(pending_[2 * i + 1]);
        values[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
    }
    pending_.erase(0, samples * 2);
    const bool wasSilent = audio_.stats().silent;
    audio_.feed(values.data(), samples, 1, [this](std::string_view stream) {
        listener_->bytes(stream, std::chrono::system_clock::now());
    });
    if (audio_.stats().silent != wasSilent)
        listener_->changed();
}

void PipeSource::ended(const std::string& reason) {
    if (notifier_)
        notifier_->setEnabled(false);
    audio_.finish([this](std::string_view stream) {
        listener_->bytes(stream, std::chrono::system_clock::now());
    });
    phase_ = SourceState::Phase::Stopped;
    reason_ = reason;
    listener_->changed();
}

} // namespace zelto
