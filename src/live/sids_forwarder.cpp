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

// Answers that say the frame itself is refused: sending it again would never succeed.
bool refusedForGood(int status) {
    return status == 400 || status == 413 || status == 415 || status == 422;
}

} // namespace

SidsForwarder::SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile,
                             bool dryRun, QObject* parent)
    : SidsForwarder(std::move(settings), queueFile, dryRun, Timing{}, parent) {}

SidsForwarder::SidsForwarder(StationSettings settings, const std::filesystem::path& queueFile,
                             bool dryRun, Timing timing, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), dryRun_(dryRun), timing_(timing),
      queue_(queueFile), network_(new QNetworkAccessManager(this)) {
    retry_.setSingleShot(true);
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &SidsForwarder::sendNext);
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
    const std::optional<std::string> body = queue_.front();
    if (!body)
        return;
    QNetworkRequest request(QUrl(QString::fromStdString(settings_.serverUrl)));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zeltodecoder/" ZELTO_VERSION));
    request.setTransferTimeout(timing_.answerMilliseconds);
    inFlight_ = network_->post(request, QByteArray::fromStdString(*body));
}

void SidsForwarder::onFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != inFlight_)
        return;
    inFlight_ = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 200 && status < 300) {
        markFront(kSent);
        ++sent_;
        retryDelay_ = 0;
        lastError_.clear();
        emit stateChanged();
        sendNext();
        return;
    }
    if (refusedForGood(status)) {
        const QString reason = QString::fromUtf8(reply->readAll()).simplified().left(200);
        markFront(kDropped);
        emit told(
            QStringLiteral("frame refused by the server (%1 %2), dropped")
                .arg(status)
                .arg(reason.isEmpty()
                         ? reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()
                         : reason));
        emit stateChanged();
        sendNext();
        return;
    }
    retryLater(
        status > 0
            ? QStringLiteral("HTTP %1 %2")
                  .arg(status)
                  .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
            : reply->errorString());
}

void SidsForwarder::markFront(char mark) {
    try {
        queue_.markFront(mark);
    } catch (const std::exception& error) {
        // The frame would go again after a restart; nothing else is lost.
        emit told(QStringLiteral("the queue file cannot be written: %1").arg(error.what()));
    }
}

void SidsForwarder::retryLater(const QString& error) {
    lastError_ = error;
    retryDelay_ = retryDelay_ == 0 ? timing_.firstRetryMilliseconds
                                   : std::min(retryDelay_ * 2, timing_.longestRetryMilliseconds);
    retry_.start(retryDelay_);
    emit stateChanged();
}

} // namespace zelto
