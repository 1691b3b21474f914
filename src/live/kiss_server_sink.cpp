// A KISS TCP server for other programs, as a sink of the live session.
#include "live/kiss_server_sink.h"

#include "core/run_error.h"
#include "live/text_codec.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace zelto {

KissServerSink::KissServerSink(const QString& address, quint16 port, QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)) {
    const QHostAddress host(address);
    if (host.isNull() || !server_->listen(host, port))
        throw RunError(toWindows1252(
            QStringLiteral("KISS server on %1:%2: %3")
                .arg(address)
                .arg(port)
                .arg(host.isNull() ? QStringLiteral("not an address") : server_->errorString())));
    connect(server_, &QTcpServer::newConnection, this, &KissServerSink::accept);
}

KissServerSink::~KissServerSink() {
    for (QTcpSocket* client : clients_) {
        client->disconnect(this);
        client->abort();
    }
}

quint16 KissServerSink::port() const {
    return server_->serverPort();
}

QString KissServerSink::label() const {
    return QStringLiteral("KISS server %1:%2").arg(server_->serverAddress().toString()).arg(port());
}

void KissServerSink::accept() {
    while (QTcpSocket* client = server_->nextPendingConnection()) {
        clients_.push_back(client);
        // What a client sends (KISS commands to a modem) has no use here.
        connect(client, &QTcpSocket::readyRead, client, [client] { client->readAll(); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
            client->deleteLater();
        });
        if (host_)
            host_->tell(toWindows1252(QStringLiteral("%1: a client from %2, %3 connected")
                                          .arg(label(), client->peerAddress().toString())
                                          .arg(clients_.size())));
    }
}

void KissServerSink::take(const ReceivedFrames& frames) {
    if (frames.captureBytes.empty())
        return;
    const std::vector<QTcpSocket*> clients = clients_;
    for (QTcpSocket* client : clients) {
        if (client->bytesToWrite() > kLongestBacklog) {
            drop(client, QStringLiteral("it did not keep up"));
            continue;
        }
        client->write(frames.captureBytes.data(), static_cast<qint64>(frames.captureBytes.size()));
    }
}

void KissServerSink::drop(QTcpSocket* client, const QString& why) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
    const QString peer = client->peerAddress().toString();
    client->disconnect(this);
    client->abort();
    client->deleteLater();
    if (host_)
        host_->tell(toWindows1252(
            QStringLiteral("%1: the client from %2 was dropped: %3").arg(label(), peer, why)));
}

} // namespace zelto
