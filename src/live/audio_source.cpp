// A sound card's input, through Qt Multimedia, as the frame source of a live session.
#include "live/audio_source.h"

#include "live/text_codec.h"

#include <QAudioSource>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

namespace zelto {

namespace {

constexpr int kLongestRetrySeconds = 60;

std::optional<QAudioDevice> inputNamed(const QString& name) {
    if (name.isEmpty()) {
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        return device.isNull() ? std::nullopt : std::optional(device);
    }
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        if (device.description() == name)
            return device;
    return std::nullopt;
}

} // namespace

AudioSource::AudioSource(QString device, QObject* parent)
    : QObject(parent), device_(std::move(device)) {
    retry_.setSingleShot(true);
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &AudioSource::open);
    meter_.setInterval(1000);
    connect(&meter_, &QTimer::timeout, this, [this] {
        if (listener_ && phase_ == SourceState::Phase::Connected)
            listener_->changed();
    });
    connect(&devices_, &QMediaDevices::audioInputsChanged, this, [this] {
        if (phase_ == SourceState::Phase::Connected && !inputNamed(device_))
            lost(QStringLiteral("the sound card is gone"));
    });
}

AudioSource::~AudioSource() {
    if (input_) {
        input_->disconnect(this);
        input_->stop();
    }
}

QStringList AudioSource::inputNames() {
    QStringList names;
    const QAudioDevice preferred = QMediaDevices::defaultAudioInput();
    if (!preferred.isNull())
        names << preferred.description();
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        if (!names.contains(device.description()))
            names << device.description();
    return names;
}

std::string AudioSource::name() const {
    return toWindows1252(device_.isEmpty() ? QStringLiteral("default input") : device_);
}

void AudioSource::start(Listener& listener) {
    listener_ = &listener;
    failures_ = 0;
    meter_.start();
    open();
}

void AudioSource::stop() {
    retry_.stop();
    meter_.stop();
    if (audio_ && io_)
        audio_->finish([this](std::string_view stream) {
            listener_->bytes(stream, std::chrono::system_clock::now());
        });
    close();
    phase_ = SourceState::Phase::Stopped;
    reason_.clear();
    if (listener_)
        listener_->changed();
}

SourceState AudioSource::state() const {
    SourceState state;
    state.phase = phase_;
    state.reason = reason_;
    if (phase_ == SourceState::Phase::Waiting)
        state.secondsToRetry = (retry_.remainingTime() + 999) / 1000;
    if (phase_ == SourceState::Phase::Connected && audio_)
        state.detail = audio_->levelText();
    return state;
}

void AudioSource::open() {
    close();
    phase_ = SourceState::Phase::Connecting;
    const std::optional<QAudioDevice> device = inputNamed(device_);
    if (!device) {
        lost(device_.isEmpty() ? QStringLiteral("no sound card input")
                               : QStringLiteral("no sound card input named \"%1\"").arg(device_));
        return;
    }
    // Mono 16-bit at 48 kHz where the card offers it; otherwise what it prefers, and the first
    // channel of it.
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device->isFormatSupported(format)) {
        format = device->preferredFormat();
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device->isFormatSupported(format)) {
            lost(QStringLiteral("the sound card gives no 16-bit samples"));
            return;
        }
    }
    format_ = format;
    audio_ = std::make_unique<AudioDemodulation>(format.sampleRate());
    input_ = std::make_unique<QAudioSource>(*device, format);
    connect(input_.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && input_ && input_->error() != QAudio::NoError)
            lost(input_->error() == QAudio::OpenError
                     ? QStringLiteral("the sound card cannot be opened")
                     : QStringLiteral("the sound card failed"));
    });
    io_ = input_->start();
    if (!io_) {
        lost(QStringLiteral("the sound card cannot be opened"));
        return;
    }
    connect(io_, &QIODevice::readyRead, this, &AudioSource::readSome);
    phase_ = SourceState::Phase::Connected;
    reason_.clear();
    failures_ = 0;
    listener_->changed();
}

void AudioSource::readSome() {
    if (!io_)
        return;
    pending_ += io_->readAll();
    const int channels = std::max(1, format_.channelCount());
    const qsizetype frameBytes = 2 * channels;
    const qsizetype frames = pending_.size() / frameBytes;
    if (frames == 0)
        return;
    samples_.resize(static_cast<std::size_t>(frames * channels));
    std::memcpy(samples_.data(), pending_.constData(),
                static_cast<std::size_t>(frames * frameBytes));
    pending_.remove(0, frames * frameBytes);
    audio_->feed(samples_.data(), static_cast<std::size_t>(frames), channels,
                 [this](std::string_view stream) {
                     listener_->bytes(stream, std::chrono::system_clock::now());
                 });
}

void AudioSource::lost(const QString& reason) {
    close();
    const bool wasUp = phase_ == SourceState::Phase::Connected;
    reason_ = toWindows1252(reason);
    ++failures_;
    int delay = 1;
    for (int i = 1; i < failures_ && delay < kLongestRetrySeconds; ++i)
        delay *= 2;
    retry_.start(std::min(delay, kLongestRetrySeconds) * 1000);
    phase_ = SourceState::Phase::Waiting;
    if (listener_) {
        if (wasUp)
            listener_->broken();
        listener_->changed();
    }
}

void AudioSource::close() {
    // Gone later: this may run in one of its own signals.
    if (input_) {
        input_->disconnect(this);
        input_->stop();
        input_.release()->deleteLater();
    }
    io_ = nullptr;
    pending_.clear();
}

} // namespace zelto
