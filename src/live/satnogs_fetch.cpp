// Fetching a satellite's frames from the SatNOGS DB's telemetry API into one JSON file.

#include "live/satnogs_fetch.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "import/satnogs_frames.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <algorithm>

namespace zelto {

namespace {

// An address as messages show it: a user name or password in it stays out of them.
QString shown(const QUrl& address) {
    return address.toDisplayString(QUrl::RemoveUserInfo);
}

// Where the token may go: the DB's own host, never from https down to http.
bool sameHost(const QUrl& from, const QUrl& to) {
    return to.isValid() && to.host().compare(from.host(), Qt::CaseInsensitive) == 0 &&
           (to.scheme() == from.scheme() ||
            (from.scheme() == QLatin1String("http") && to.scheme() == QLatin1String("https")));
}

// The target of the link with rel="next" in a Link header: <URL>; rel="next", <URL>; ...
QUrl linkedNext(const QByteArray& header, const QUrl& base) {
    qsizetype at = 0;
    while ((at = header.indexOf('<', at)) >= 0) {
        const qsizetype end = header.indexOf('>', at);
        if (end < 0)
            break;
        const QByteArray target = header.mid(at + 1, end - at - 1).trimmed();
        qsizetype paramsEnd = header.indexOf(',', end);
        if (paramsEnd < 0)
            paramsEnd = header.size();
        for (const QByteArray& param : header.mid(end + 1, paramsEnd - end - 1).split(';')) {
            const QByteArray trimmed = param.trimmed();
            if (!trimmed.toLower().startsWith("rel="))
                continue;
            QByteArray rels = trimmed.mid(4).trimmed();
            if (rels.startsWith('"') && rels.endsWith('"') && rels.size() >= 2)
                rels = rels.mid(1, rels.size() - 2);
            for (const QByteArray& rel : rels.simplified().split(' '))
                if (rel.toLower() == "next")
                    return base.resolved(QUrl::fromEncoded(target));
        }
        at = end;
    }
    return {};
}

// Retry-After in seconds or as an HTTP date; `fallback` when it says neither.
int retrySeconds(const QByteArray& header, int fallback) {
    bool isNumber = false;
    const int seconds = header.trimmed().toInt(&isNumber);
    if (isNumber)
        return std::max(0, seconds);
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(header.trimmed()), Qt::RFC2822Date);
    if (when.isValid())
        return static_cast<int>(std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(when)));
    return fallback;
}

QString httpStatus(QNetworkReply* reply, int status) {
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return QStringLiteral("HTTP %1").arg(status) + (reason.isEmpty() ? QString() : " " + reason);
}

} // namespace

SatnogsFetch::SatnogsFetch(Request request, QObject* parent)
    : SatnogsFetch(std::move(request), Limits{}, parent) {}

SatnogsFetch::SatnogsFetch(Request request, Limits limits, QObject* parent)
    : QObject(parent), request_(std::move(request)), limits_(limits) {
    deadline_.setSingleShot(true);
    retry_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (!reply_)
            return;
        cut_ = Cut::TooLate;
        reply_->abort();
    });
    connect(&retry_, &QTimer::timeout, this, [this] { get(page_); });
}

SatnogsFetch::~SatnogsFetch() {
    stop();
}

QUrl SatnogsFetch::firstPage(const Request& request) {
    QUrl address = request.server;
    QString path = address.path();
    while (path.endsWith('/'))
        path.chop(1);
    address.setPath(path + QStringLiteral("/api/telemetry/"));
    address.setFragment(QString());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("satellite"), QString::number(request.noradId));
    if (request.since.isValid())
        query.addQueryItem(QStringLiteral("start"), request.since.toUTC().toString(QStringLiteral(
                                                        "yyyy-MM-dd'T'HH:mm:ss'Z'")));
    address.setQuery(query);
    return address;
}

QString SatnogsFetch::fileName(long noradId, const QDateTime& started) {
    return QStringLiteral("satnogs-%1-%2.json")
        .arg(noradId)
        .arg(started.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
}

void SatnogsFetch::start() {
    stop();
    running_ = true;
    const unsigned run = ++runs_;
    pages_ = 0;
    entries_ = 0;
    frames_ = 0;
    pagesSeen_.clear();
    path_ =
        request_.folder / fileName(request_.noradId, QDateTime::currentDateTimeUtc()).toStdString();
    page_ = firstPage(request_);
    const QString scheme = request_.server.scheme();
    QString problem;
    if (!page_.isValid() || page_.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        problem = shown(request_.server) + QStringLiteral(": not an http or https address");
    else if (request_.token.isEmpty())
        problem = QStringLiteral("The SatNOGS DB needs an API token");
    else if (std::any_of(request_.token.begin(), request_.token.end(),
                         [](QChar c) { return c.unicode() <= ' ' || c.unicode() >= 127; }))
        problem = QStringLiteral("An API token holds no blanks and no characters but ASCII");
    if (!problem.isEmpty()) {
        // The end comes through the event loop, as it does after a request.
        QTimer::singleShot(0, this, [this, problem, run] {
            if (running_ && run == runs_)
                fail(problem);
        });
        return;
    }
    if (!network_) {
        network_ = new QNetworkAccessManager(this);
        network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    redirectsLeft_ = limits_.redirects;
    tooManyRequests_ = 0;
    get(page_);
}

void SatnogsFetch::stop() {
    ++runs_;
    retry_.stop();
    endRequest();
    file_.reset(); // the temporary file goes
    running_ = false;
}

void SatnogsFetch::endRequest() {
    deadline_.stop();
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void SatnogsFetch::get(const QUrl& address) {
    QNetworkRequest request(address);
    request.setRawHeader("Authorization", "Token " + request_.token.toUtf8());
    request.setRawHeader("Accept", "application/json");
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zeltodecoder/" ZELTO_VERSION));
    // Followed here, on the DB's own host only: the token goes with every request.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    cut_ = Cut::None;
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 got, qint64 all) {
        if (reply == reply_ && (got > limits_.pageBytes || all > limits_.pageBytes)) {
            cut_ = Cut::TooLarge;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
    deadline_.start(limits_.requestMilliseconds);
}

void SatnogsFetch::onFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != reply_)
        return;
    reply_ = nullptr;
    deadline_.stop();
    const QUrl address = reply->request().url();
    const QString at = shown(address) + QStringLiteral(": ");
    if (cut_ == Cut::TooLarge)
        return fail(at + QStringLiteral("a page larger than %1 MiB").arg(limits_.pageBytes >> 20));
    if (cut_ == Cut::TooLate)
        return fail(at + QStringLiteral("no complete answer within %1 s")
                             .arg(limits_.requestMilliseconds / 1000));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0)
        return fail(at + reply->errorString());
    if (status >= 300 && status < 400 && reply->hasRawHeader("Location")) {
        const QUrl target = address.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        if (!sameHost(address, target))
            return fail(at + QStringLiteral("redirected to %1, which is not followed: the "
                                            "token goes to the DB's own host only")
                                 .arg(shown(target)));
        if (redirectsLeft_-- <= 0)
            return fail(at + QStringLiteral("more than %1 redirects").arg(limits_.redirects));
        return get(target);
    }
    if (status == 429) {
        if (++tooManyRequests_ > limits_.tooManyRequests)
            return fail(at + QStringLiteral("the DB still asks to wait (HTTP 429) after %1 tries")
                                 .arg(limits_.tooManyRequests));
        const int seconds =
            retrySeconds(reply->rawHeader("Retry-After"), limits_.defaultRetrySeconds);
        retry_.start(seconds * 1000);
        emit waiting(shown(address), seconds);
        return;
    }
    if (status == 401 || status == 403)
        return fail(at +
                    QStringLiteral("the DB refused the token (%1)").arg(httpStatus(reply, status)));
    const QByteArray body = reply->readAll();
    if (status == 400) {
        const QString detail =
            QJsonDocument::fromJson(body).object().value(QLatin1String("detail")).toString();
        return fail(at + (detail.isEmpty() ? httpStatus(reply, status)
                                           : QStringLiteral("the DB refused the request: ") +
                                                 detail.simplified().left(300)));
    }
    if (status < 200 || status >= 300)
        return fail(at + httpStatus(reply, status));
    takePage(address, body, reply->rawHeader("Link"));
}

void SatnogsFetch::takePage(const QUrl& address, const QByteArray& body,
                            const QByteArray& linkHeader) {
    const QString at = shown(address) + QStringLiteral(": ");
    bool nextGiven = false;
    QJsonValue next;
    SatnogsJsonParts parts;
    parts.entry = [&](std::string_view text, const QJsonValue& entry) {
        writeEntry(text);
        if (satnogsEntryFrame(entry))
            ++frames_;
    };
    parts.member = [&](const QString& name, const QJsonValue& value) {
        if (name == QLatin1String("next")) {
            nextGiven = true;
            next = value;
        }
    };
    bool given = false;
    const std::function<std::string_view()> blocks = [&] {
        const bool first = !given;
        given = true;
        return first ? std::string_view(body.constData(), static_cast<std::size_t>(body.size()))
                     : std::string_view();
    };
    try {
        scanSatnogsJson(blocks, parts);
    } catch (const NotSatnogsJson& error) {
        const QString what = QString::fromStdString(error.what());
        return fail(at + QStringLiteral("the answer is not the telemetry API's JSON") +
                    (what.isEmpty() ? QString() : " (" + what + ")"));
    } catch (const RunError& error) {
        return fail(QString::fromStdString(path_.filename().string() + ": " + error.what()));
    }
    ++pages_;
    pagesSeen_.insert(page_);
    const unsigned run = runs_;
    emit progress(frames_, pages_);
    if (run != runs_)
        return; // stopped, or started again, by a receiver

    // The page object's "next", else the Link header of the bare array the DB gave before.
    const QUrl following =
        nextGiven ? (next.isString() ? address.resolved(QUrl(next.toString())) : QUrl())
                  : linkedNext(linkHeader, address);
    if (following.isEmpty())
        return finish();
    if (!sameHost(firstPage(request_), following))
        return fail(at + QStringLiteral("the next page is on another host, %1: the token goes to "
                                        "the DB's own host only")
                             .arg(shown(following)));
    if (pagesSeen_.contains(following))
        return fail(at +
                    QStringLiteral("the next page, %1, was fetched already").arg(shown(following)));
    page_ = following;
    redirectsLeft_ = limits_.redirects;
    tooManyRequests_ = 0;
    get(page_);
}

void SatnogsFetch::writeEntry(std::string_view text) {
    if (!file_) {
        file_ = std::make_unique<WholeFile>(path_.string());
        file_->write("[");
    }
    file_->write(entries_++ == 0 ? "\n" : ",\n");
    file_->write(text);
}

void SatnogsFetch::finish() {
    if (frames_ == 0) {
        stop();
        emit done(QString(), 0, pages_);
        return;
    }
    try {
        file_->write("\n]\n");
        file_->commit();
    } catch (const RunError& error) {
        return fail(QString::fromStdString(path_.filename().string() + ": " + error.what()));
    }
    file_.reset();
    running_ = false;
    emit done(QString::fromStdString(path_.string()), frames_, pages_);
}

void SatnogsFetch::fail(const QString& message) {
    stop();
    emit failed(message);
}

FetchEnd fetchToEnd(SatnogsFetch& fetch) {
    FetchEnd end;
    QEventLoop loop;
    const QMetaObject::Connection done = QObject::connect(
        &fetch, &SatnogsFetch::done, &loop, [&](const QString& path, long frames, int pages) {
            end.path = path;
            end.frames = frames;
            end.pages = pages;
            loop.quit();
        });
    const QMetaObject::Connection failed =
        QObject::connect(&fetch, &SatnogsFetch::failed, &loop, [&](const QString& message) {
            end.error = message;
            loop.quit();
        });
    fetch.start();
    loop.exec();
    QObject::disconnect(done);
    QObject::disconnect(failed);
    return end;
}

QString fetchEndLine(const FetchEnd& end, const SatnogsFetch::Request& request) {
    if (!end.error.isEmpty())
        return end.error;
    if (end.path.isEmpty())
        return shown(SatnogsFetch::firstPage(request)) +
               QStringLiteral(": no frames; nothing written");
    return QString::fromStdString(
               std::filesystem::path(end.path.toStdString()).filename().string()) +
           QStringLiteral(": %1 frame%2 in %3 page%4 from the SatNOGS DB")
               .arg(end.frames)
               .arg(end.frames == 1 ? "" : "s")
               .arg(end.pages)
               .arg(end.pages == 1 ? "" : "s");
}

} // namespace zelto
