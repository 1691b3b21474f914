#pragma once

#include "commands/frame_source.h"
#include "live/audio_demodulation.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

class QAudioSource;
class QIODevice;

namespace zelto {

// A live session's frames demodulated from a sound card's input, the radio's data port
// wired to it. A card that disappears or fails is tried again after a pause that doubles
// up to a minute, as a lost KISS server is.
class AudioSource : public QObject, public FrameSource {
    Q_OBJECT

  public:
    // `device` is a description as inputNames() gives it; empty for the default input.
    explicit AudioSource(QString device, QObject* parent = nullptr);
    ~AudioSource() override;

    // The descriptions of the sound card inputs, the default one first.
    static QStringList inputNames();

    std::string kind() const override { return "Audio"; }
    std::string name() const override;

    void start(Listener& listener) override;
    void stop() override;
    void hold(bool) override {} // a card cannot wait: its samples are always demodulated
    SourceState state() const override;

  private:
    void open();
    void readSome();
    void lost(const QString& reason);
    void close();

    QString device_;
    QMediaDevices devices_;
    std::unique_ptr<QAudioSource> input_;
    QIODevice* io_ = nullptr;
    QAudioFormat format_;
    std::unique_ptr<AudioDemodulation> audio_;
    QTimer retry_;
    QTimer meter_; // the level shown, once a second
    Listener* listener_ = nullptr;
    SourceState::Phase phase_ = SourceState::Phase::Stopped;
    std::string reason_;
    int failures_ = 0;
    QByteArray pending_;
    std::vector<std::int16_t> samples_;
};

} // namespace zelto
