#pragma once

#include "live/sids_queue.h"
#include "live/sids_report.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <string_view>

class QNetworkAccessManager;
class QNetworkReply;

namespace zelto {

// Forwards each frame received live to a SiDS telemetry server (the SatNOGS DB), once, in
// the order received. A frame is first added to the queue file; it leaves the queue when the
// server takes it (a 2xx answer), or when the server refuses it for good (a 400 with its
// reason, reported once). Anything else (no answer, a connection error, a 5xx) leaves it
// waiting, and the queue is tried again after a pause that doubles each time. Nothing here
// blocks: the requests run in the event loop.
class SidsForwarder : public QObject {
    Q_OBJECT

  public:
    struct Timing {
        int answerMilliseconds = 15000;
        int firstRetryMilliseconds = 2000;
        int longestRetryMilliseconds = 300000;
    };
    struct State {
        long sent = 0;
        long waiting = 0;
        QString lastError; // empty once the server takes frames again
        int secondsToRetry = 0;
    };

    // With `dryRun`, each request is told through requestShown() instead of being sent,
    // and nothing is queued.
    SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile, bool dryRun,
                  QObject* parent = nullptr);
    SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile, bool dryRun,
                  Timing timing, QObject* parent = nullptr);
    ~SidsForwarder() override;

    // A frame received at that time, its escapes resolved, KISS command byte first (which is
    // not forwarded). Throws RunError when the queue file cannot be written.
    void forward(std::string_view kissFrame, std::chrono::system_clock::time_point received);

    State state() const;

  signals:
    void stateChanged();
    // Something the operator should hear once: a frame refused for good.
    void told(const QString& text);
    void requestShown(const QString& request);

  private:
    void sendNext();
    void onFinished(QNetworkReply* reply);
    void retryLater(const QString& error);
    void markFront(char mark);

    StationSettings settings_;
    bool dryRun_;
    Timing timing_;
    SidsQueue queue_;
    QNetworkAccessManager* network_;
    QNetworkReply* inFlight_ = nullptr;
    QTimer retry_;
    int retryDelay_ = 0;
    long sent_ = 0;
    QString lastError_;
};

} // namespace zelto
