#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

namespace zelto {

// A KISS TCP client, as sound modems serve KISS on a TCP port. It connects, hands on the bytes
// as they come, and when the connection is refused or lost tries again after a pause that
// starts at one second and doubles up to a minute, back to one second once connected.
class KissClient : public QObject {
    Q_OBJECT

  public:
    enum class State { Stopped, Connecting, Connected, Waiting };

    explicit KissClient(QObject* parent = nullptr);
    ~KissClient() override;

    void start(const QString& host, quint16 port);
    // Ends the connection and the retries; bytes not handed on yet are handed on first.
    void stop();

    // While held, received bytes wait in the socket's bounded buffer (the server then waits
    // too); on release they are handed on. A connection lost meanwhile is told after them.
    void hold(bool held);

    State state() const { return state_; }
    QString host() const { return host_; }
    quint16 port() const { return port_; }
    // Why the last connection failed or ended.
    QString lastError() const { return lastError_; }
    // Whole seconds until the next try, while waiting.
    int secondsToRetry() const;

    // The pause before the try after `failures` failed ones in a row.
    static int retryDelaySeconds(int failures);

  signals:
    void received(const QByteArray& bytes);
    // A connection that was up is gone: the stream broke off.
    void connectionLost();
    void stateChanged();

  private:
    void connectNow();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onError();
    void deliver();
    void waitAndRetry(const QString& reason);
    void setState(State state);

    QTcpSocket* socket_ = nullptr;
    QTimer retry_;
    QTimer connectTimeout_; // a server that never answers counts as refused
    QString host_;
    quint16 port_ = 0;
    State state_ = State::Stopped;
    QString lastError_;
    int failures_ = 0;
    bool held_ = false;
    bool lostWhileHeld_ = false;
};

} // namespace zelto
