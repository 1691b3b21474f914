// Forwarding frames to a SiDS server, once and in order, from a queue that survives a restart.
#include "live/sids_forwarder.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace zelto {

namespace {

constexpr char kSent = 'S';
constexpr char kDropped = 'D';
// Only the status and a reason are used: an answer longer than this is not read further.
constexpr qint64 kLongestAnswer = 64 * 1024;
constexpr int kMostRedirects = 3;

// Answers that say the frame itself is refused: sending it again would never succeed.
bool refusedForGood(int status) {
    return status == 400 || status == 413 || status == 415 || status == 422;
}

int portOf(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

QString statusText(QNetworkReply* reply, int status) {
    return QStringLiteral("HTTP %1 %2")
        .arg(status)
        .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
}

} // namespace

SidsForwarder::SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile,
                             bool dryRun, QObject* parent)
    : SidsForwarder(std::move(settings), queueFile, dryRun, Timing{}, parent) {}

SidsForwarder::SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile,
                             bool dryRun, Timing timing, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), dryRun_(dryRun), timing_(timing),
      queue_(queueFile), network_(new QNetworkAccessManager(this)),
      url_(QString::fromStdString(settings_.serverUrl)) {
    retry_.setSingleShot(true);
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &SidsForwarder::sendNext);
    // One deadline for the whole request: Qt's transfer timeout starts again at every byte,
    // and an answer trickling in would hold the queue for ever.
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (!inFlight_)
            return;
        timedOut_ = true;
        inFlight_->abort();
    });
    connect(network_, &QNetworkAccessManager::finished, this, &SidsForwarder::onFinished);
    // What an earlier run left waiting goes first.
    QTimer::singleShot(0, this, &SidsForwarder::sendNext);
}

SidsForwarder::~SidsForwarder() {
    if (inFlight_) {
        inFlight_->disconnect(this);
        network_->disconnect(this);
        inFlight_->abort();
    }
}

void SidsForwarder::forward(std::string_view kissFrame,
                            std::chrono::system_clock::time_point received) {
    const std::string body = sidsFormBody(settings_, kissFrame.substr(1), received, ZELTO_VERSION);
    if (dryRun_) {
        emit requestShown(
            QStringLiteral("POST %1 %2")
                .arg(QString::fromStdString(settings_.serverUrl), QString::fromStdString(body)));
        return;
    }
    queue_.push(body);
    emit stateChanged();
    if (!inFlight_ && !retry_.isActive())
        sendNext();
}

SidsForwarder::State SidsForwarder::state() const {
    State state;
    state.sent = sent_;
    state.waiting = queue_.waiting();
    state.lastError = lastError_;
    state.secondsToRetry = retry_.isActive() ? (retry_.remainingTime() + 999) / 1000 : 0;
    return state;
}

void SidsForwarder::sendNext() {
    if (inFlight_)
        return;
    if (unrecorded_ != 0) {
        if (!record(unrecorded_))
            return;
        lastError_.clear();
        emit stateChanged();
    }
    const long counted = queue_.waiting();
    const std::optional<std::string> body = queue_.front();
    if (queue_.waiting() != counted)
        emit stateChanged();
    if (!body)
        return;
    try {
        queue_.checkWritable();
    } catch (const std::exception& error) {
        queueCannotBeWritten(error);
        return;
    }
    body_ = QByteArray::fromStdString(*body);
    redirects_ = 0;
    post(url_);
}

void SidsForwarder::post(const QUrl& to) {
    QNetworkRequest request(to);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zeltodecoder/" ZELTO_VERSION));
    // Qt would follow a 301 with a GET, whose 200 says nothing of the frame.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    requestUrl_ = to;
    answer_.clear();
    cutStatus_ = 0;
    timedOut_ = false;
    QNetworkReply* reply = network_->post(request, body_);
    reply->setReadBufferSize(kLongestAnswer);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onReadyRead(reply); });
    inFlight_ = reply;
    deadline_.start(timing_.answerMilliseconds);
}

void SidsForwarder::onReadyRead(QNetworkReply* reply) {
    if (reply != inFlight_)
        return;
    answer_ += reply->read(kLongestAnswer - answer_.size());
    if (answer_.size() >= kLongestAnswer && reply->bytesAvailable() > 0) {
        cutStatus_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        reply->abort(); // finishes the reply
    }
}

void SidsForwarder::onFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != inFlight_)
        return;
    inFlight_ = nullptr;
    deadline_.stop();
    if (timedOut_) {
        retryLater(QStringLiteral("no answer in %1 s").arg(timing_.answerMilliseconds / 1000.0));
        return;
    }
    if (reply->isOpen()) // an answer cut short is closed
        answer_ += reply->read(kLongestAnswer - answer_.size());
    const int status = cutStatus_ != 0
                           ? cutStatus_
                           : reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400) {
        onRedirect(reply, status);
        return;
    }
    if (status > 0 && requestUrl_ != url_) {
        emit told(QStringLiteral("the server's address has moved to %1 (from %2): frames go there "
                                 "for the rest of this run")
                      .arg(requestUrl_.toString(), url_.toString()));
        url_ = requestUrl_;
    }
    if (status >= 200 && status < 300) {
        retryDelay_ = 0;
        lastError_.clear();
        if (!record(kSent))
            return;
        emit stateChanged();
        sendNext();
        return;
    }
    if (refusedForGood(status)) {
        const QString reason = QString::fromUtf8(answer_).simplified().left(200);
        emit told(
            QStringLiteral("frame refused by the server (%1 %2), dropped")
                .arg(status)
                .arg(reason.isEmpty()
                         ? reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()
                         : reason));
        if (!record(kDropped))
            return;
        emit stateChanged();
        sendNext();
        return;
    }
    retryLater(status > 0 ? statusText(reply, status) : reply->errorString());
}

void SidsForwarder::onRedirect(QNetworkReply* reply, int status) {
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty()) {
        retryLater(statusText(reply, status));
        return;
    }
    const QUrl to = requestUrl_.resolved(target);
    const bool sameServer = to.scheme() == requestUrl_.scheme() &&
                            to.host().compare(requestUrl_.host(), Qt::CaseInsensitive) == 0 &&
                            portOf(to) == portOf(requestUrl_);
    // 307 and 308 say the same request goes there; 301 and 302 are followed only where the
    // server stays the same, as it answers an address without its final slash. Never from
    // https to http.
    const bool safe =
        to.scheme() == QLatin1String("https") ||
        (to.scheme() == QLatin1String("http") && requestUrl_.scheme() == QLatin1String("http"));
    const bool repeatable =
        status == 307 || status == 308 || ((status == 301 || status == 302) && sameServer);
    if (!safe || !repeatable || redirects_ >= kMostRedirects) {
        retryLater(QStringLiteral("HTTP %1: %2 sends the frame on to %3%4, which is not followed")
                       .arg(status)
                       .arg(requestUrl_.toString(), to.toString(),
                            redirects_ >= kMostRedirects && safe && repeatable
                                ? QStringLiteral(" (more than %1 redirects)").arg(kMostRedirects)
                                : QString()));
        return;
    }
    ++redirects_;
    post(to);
}

// False when the file cannot take the mark: it is tried again before anything else is sent,
// and until then the frame counts as waiting.
bool SidsForwarder::record(char mark) {
    try {
        queue_.markFront(mark);
    } catch (const std::exception& error) {
        unrecorded_ = mark;
        queueCannotBeWritten(error);
        return false;
    }
    unrecorded_ = 0;
    if (mark == kSent)
        ++sent_;
    return true;
}

void SidsForwarder::queueCannotBeWritten(const std::exception& error) {
    retryLater(QStringLiteral("forwarding waits until the queue can be written: ") +
               QString::fromStdString(error.what()));
}

void SidsForwarder::retryLater(const QString& error) {
    lastError_ = error;
    retryDelay_ = retryDelay_ == 0 ? timing_.firstRetryMilliseconds
                                   : std::min(retryDelay_ * 2, timing_.longestRetryMilliseconds);
    retry_.start(retryDelay_);
    emit stateChanged();
}

} // namespace zelto
