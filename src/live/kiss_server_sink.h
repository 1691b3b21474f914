#pragma once

#include "commands/frame_sink.h"

#include <QObject>
#include <QString>

#include <vector>

class QTcpServer;
class QTcpSocket;

namespace zelto {

// Serves a live session's frames on a KISS TCP port, as a sound modem does, so that other
// programs (loggers, forwarders) keep working with this one in the modem's place: every
// frame received goes to every connected client. A client that does not keep up is dropped
// once its backlog passes a bound; decoding never waits for it.
class KissServerSink : public QObject, public FrameSink {
    Q_OBJECT

  public:
    static constexpr qint64 kLongestBacklog = 1 << 20;

    // Listens at once; throws RunError naming the address when it cannot.
    KissServerSink(const QString& address, quint16 port, QObject* parent = nullptr);
    ~KissServerSink() override;

    std::string kind() const override { return "KISS server"; }
    void attach(SinkHost& host) override { host_ = &host; }
    void take(const ReceivedFrames& frames) override;

    quint16 port() const;
    int clients() const { return static_cast<int>(clients_.size()); }

  private:
    void accept();
    void drop(QTcpSocket* client, const QString& why);
    QString label() const;

    QTcpServer* server_;
    std::vector<QTcpSocket*> clients_;
    SinkHost* host_ = nullptr;
};

} // namespace zelto
