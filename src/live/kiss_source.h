#pragma once

#include "commands/frame_source.h"
#include "live/kiss_client.h"

#include <QObject>

namespace zelto {

// A live session's frames from a KISS TCP server, as sound modems serve them.
class KissSource : public QObject, public FrameSource {
    Q_OBJECT

  public:
    KissSource(QString host, quint16 port, QObject* parent = nullptr);

    std::string kind() const override { return "KISS"; }
    // "localhost:8100", "[::1]:8001".
    std::string name() const override;

    void start(Listener& listener) override;
    void stop() override { client_.stop(); }
    void hold(bool held) override { client_.hold(held); }
    void retryNow() override { client_.retryNow(); }
    SourceState state() const override;

    KissClient& client() { return client_; }

  private:
    QString host_;
    quint16 port_;
    KissClient client_;
    Listener* listener_ = nullptr;
};

} // namespace zelto
