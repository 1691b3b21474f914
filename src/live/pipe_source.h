#pragma once

#include "commands/frame_source.h"
#include "live/audio_demodulation.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace zelto {

// A live session's frames demodulated from raw audio on a file descriptor (standard input):
// signed 16-bit little-endian mono at a given rate, as `rtl_fm` writes it. When the pipe
// ends, what it held is demodulated and the source stops.
class PipeSource : public QObject, public FrameSource {
    Q_OBJECT

  public:
    PipeSource(int fd, int sampleRate, QObject* parent = nullptr);
    ~PipeSource() override;

    std::string kind() const override { return "Audio"; }
    std::string name() const override;

    void start(Listener& listener) override;
    void stop() override;
    void hold(bool held) override;
    SourceState state() const override;

  private:
    void readSome();
    void ended(const std::string& reason);

    int fd_;
    int sampleRate_;
    AudioDemodulation audio_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Listener* listener_ = nullptr;
    SourceState::Phase phase_ = SourceState::Phase::Stopped;
    std::string reason_;
    std::string pending_; // bytes of a sample split between two reads
    bool held_ = false;
};

} // namespace zelto
