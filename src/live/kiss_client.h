#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace zelto {

// A KISS TCP client, as sound modems serve KISS on a TCP port. It connects, hands on the bytes
// as they come, and when the connection is refused or lost tries again after a pause that
// starts at one second and doubles up to a minute, back to one second once a connection has
// brought data or stayed up 30 s (a server that accepts and closes at once is refused as
// well). A server gone without a word (its host lost power) is found by TCP keepalive within
// about a minute, and a connection that brings nothing for the silence limit counts as lost.
class KissClient : public QObject {
    Q_OBJECT

  public:
    enum class State { Stopped, Connecting, Connected, Waiting };

    struct Timing {
        int firstRetryMilliseconds = 1000;
        int longestRetryMilliseconds = 60000;
        int steadyMilliseconds = 30000; // up this long, a connection starts the pauses again
    };

    explicit KissClient(QObject* parent = nullptr);
    explicit KissClient(Timing timing, QObject* parent = nullptr);
    ~KissClient() override;

    // A connection that brings nothing for this long counts as lost; zero for no limit (a
    // quiet satellite). Ten minutes at first.
    void setSilenceLimit(std::chrono::milliseconds limit);

    void start(const QString& host, quint16 port);
    // Ends the connection and the retries; bytes not handed on yet are handed on first.
    void stop();

    // While waiting to try again: tries at once, the pause to come unchanged.
    void retryNow();

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
    // The pause of the wait under way, in milliseconds.
    int retryPauseMilliseconds() const { return pause_; }

    // The pause before the try after `failures` failed ones in a row, at the first timing.
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
    void onSilence();
    void onDisconnected();
    void onError();
    void deliver();
    void waitAndRetry(const QString& reason);
    void setState(State state);

    QTcpSocket* socket_ = nullptr;
    QTimer retry_;
    QTimer connectTimeout_; // a server that never answers counts as refused
    QTimer steady_;         // a connection up this long starts the pauses again
    QTimer silence_;        // restarted by every read
    Timing timing_;
    std::chrono::milliseconds silenceLimit_ = std::chrono::minutes(10);
    int pause_ = 0;
    QString host_;
    quint16 port_ = 0;
    State state_ = State::Stopped;
    QString lastError_;
    int failures_ = 0;
    bool held_ = false;
    bool lostWhileHeld_ = false;
};

} // namespace zelto
