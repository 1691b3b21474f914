#pragma once

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace zelto {

class WholeFile;

// Fetches the frames that the SatNOGS DB holds of one satellite from its telemetry API, page by
// page to the last, and keeps them as one JSON file in a folder: an array of the entries as the
// API gave them, which the SatNOGS import reads like any other. Nothing blocks: start() returns
// at once, the requests run in the event loop, and each start ends in exactly one of done() or
// failed(). The token goes in each request's Authorization header and nowhere else: no message
// and no file holds it, and no redirect to another host is followed.
class SatnogsFetch : public QObject {
    Q_OBJECT

  public:
    struct Request {
        long noradId = 0;
        QDateTime since; // frames received from then on; all the DB holds when not valid
        QString token;   // the DB's API token
        QUrl server = QUrl(QStringLiteral("https://db.satnogs.org"));
        std::filesystem::path folder; // where the file goes
    };
    // Bounds of each request, so that no server can hold a fetch or fill the memory for ever.
    struct Limits {
        qint64 pageBytes = qint64(64) << 20;
        int requestMilliseconds = 60'000; // the whole request, answer included
        int redirects = 3;                // followed per page, on the DB's own host only
        int tooManyRequests = 10;         // 429 answers in a row for one page before giving up
        int defaultRetrySeconds = 60;     // after a 429 without a Retry-After that reads
    };

    explicit SatnogsFetch(Request request, QObject* parent = nullptr);
    SatnogsFetch(Request request, Limits limits, QObject* parent = nullptr);
    ~SatnogsFetch() override;

    // Starts the fetch, or starts it again once it has ended (a station that tops up every few
    // hours, with `since` moved on): each start names its own file by its time.
    void start();
    void setSince(const QDateTime& since) { request_.since = since; }
    // Ends a running fetch at once, without a signal; nothing is written.
    void stop();
    bool running() const { return running_; }

    // SERVER/api/telemetry/?satellite=NORAD, with &start=YYYY-MM-DDTHH:MM:SSZ for `since`.
    static QUrl firstPage(const Request& request);
    // satnogs-NORAD-YYYYMMDDTHHMMSSZ.json, of a fetch started at that time.
    static QString fileName(long noradId, const QDateTime& started);

  signals:
    // After each page: the frames fetched so far and the pages.
    void progress(long frames, int pages);
    // The DB asked to wait (429): the same page is asked again after so many seconds.
    void waiting(const QString& address, int seconds);
    // The end: the path of the file written, or an empty path when the DB held no frame, in
    // which case nothing was written. A receiver that deletes the fetch does so with
    // deleteLater().
    void done(const QString& path, long frames, int pages);
    // The end: what went wrong, naming the address or the file; nothing was written.
    void failed(const QString& message);

  private:
    enum class Cut { None, TooLarge, TooLate };

    void get(const QUrl& address);
    void onFinished(QNetworkReply* reply);
    void takePage(const QUrl& address, const QByteArray& body, const QByteArray& linkHeader);
    void writeEntry(std::string_view text);
    void finish();
    void fail(const QString& message);
    void endRequest();

    Request request_;
    Limits limits_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer deadline_;
    QTimer retry_;
    Cut cut_ = Cut::None;
    bool running_ = false;
    unsigned runs_ = 0;    // tells a start from the one before it
    QUrl page_;            // the page being fetched, as first asked for
    QSet<QUrl> pagesSeen_; // a DB whose next pages went round in circles would never end
    int pages_ = 0;
    int redirectsLeft_ = 0;
    int tooManyRequests_ = 0;
    long entries_ = 0;
    long frames_ = 0;
    std::filesystem::path path_;
    std::unique_ptr<WholeFile> file_; // made with the first entry
};

// The end of a fetch run through by fetchToEnd().
struct FetchEnd {
    QString path; // empty when nothing was written
    long frames = 0;
    int pages = 0;
    QString error; // empty unless it failed
};

// Starts the fetch and runs an event loop until it ends, for a caller that has none of its own
// (the batch tool), under the program's QCoreApplication.
FetchEnd fetchToEnd(SatnogsFetch& fetch);

// How a fetch ended, in one line: the file and how many frames in how many pages, that the DB
// held none and nothing was written, or what went wrong.
QString fetchEndLine(const FetchEnd& end, const SatnogsFetch::Request& request);

} // namespace zelto
