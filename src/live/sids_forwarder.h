#pragma once

#include "live/sids_queue.h"
#include "live/sids_report.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <exception>
#include <filesystem>
#include <string_view>

class QNetworkAccessManager;
class QNetworkReply;

namespace zelto {

// Forwards each frame received live to a SiDS telemetry server (the SatNOGS DB), once, in
// the order received. A frame is first added to the queue file; it leaves the queue when the
// server takes it (a 2xx answer), or when the server refuses it for good (a 400 with its
// reason, reported once). Anything else (no answer, a connection error, a 5xx) leaves it
// waiting, and the queue is tried again after a pause that doubles each time. A frame is
// sent only when the queue file can record it, and sending waits, on the same pauses, while
// the file cannot be written: no frame goes twice for want of its mark. Only the answer
// to the POST itself counts: a redirect that may carry the POST on (307 or 308, or 301 or 302
// within the same server) has it sent again there, at most 3 times, and the new address is
// kept for the rest of the run; any other leaves the frame waiting. Nothing here blocks: the
// requests run in the event loop.
class SidsForwarder : public QObject {
    Q_OBJECT

  public:
    struct Timing {
        int answerMilliseconds = 15000; // for the whole of each request, from the moment it is sent
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
    // Something the operator should hear once: a frame refused for good, the server's address
    // moved.
    void told(const QString& text);
    void requestShown(const QString& request);

  private:
    void sendNext();
    void post(const QUrl& to);
    void onReadyRead(QNetworkReply* reply);
    void onFinished(QNetworkReply* reply);
    void onRedirect(QNetworkReply* reply, int status);
    void retryLater(const QString& error);
    bool record(char mark);
    void queueCannotBeWritten(const std::exception& error);

    StationSettings settings_;
    bool dryRun_;
    Timing timing_;
    SidsQueue queue_;
    QNetworkAccessManager* network_;
    QNetworkReply* inFlight_ = nullptr;
    QUrl url_;          // where frames go: the setting, or where the server said it moved
    QUrl requestUrl_;   // where the request in flight went
    QByteArray body_;   // of the frame in flight
    int redirects_ = 0; // followed for the frame in flight
    QByteArray answer_; // the beginning of the answer in flight
    int cutStatus_ = 0; // the status of an answer cut short for its length
    QTimer deadline_;   // of the request in flight
    bool timedOut_ = false;
    QTimer retry_;
    int retryDelay_ = 0;
    char unrecorded_ = 0; // the mark of a frame done that the queue file could not take yet
    long sent_ = 0;
    QString lastError_;
};

} // namespace zelto
