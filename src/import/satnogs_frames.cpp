// Frames as the SatNOGS DB gives them: its CSV download and its telemetry API's JSON.
#include "import/satnogs_frames.h"

#include "core/run_error.h"
#include "core/text.h"
#include "import/hex_frame_file.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <optional>

namespace zelto {

namespace {

// "YYYY-MM-DD HH:MM:SS" in UTC.
std::optional<std::int64_t> csvTime(std::string_view text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t count) -> int {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (year < 0 || month < 0 || day < 0 || !date.ok() || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    const auto time = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    return duration_cast<milliseconds>(time.time_since_epoch()).count();
}

} // namespace

bool hexDigitsToBytes(std::string_view digits, std::string& bytes) {
    bytes.clear();
    if (digits.empty() || digits.size() % 2 != 0)
        return false;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigitValue(digits[i]);
        const int low = hexDigitValue(digits[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

NetworkFrames readSatnogsCsv(std::string_view text) {
    NetworkFrames result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::size_t bar = line.find('|');
        NetworkFrame frame;
        const std::optional<std::int64_t> time =
            bar == std::string_view::npos ? std::nullopt : csvTime(line.substr(0, bar));
        if (!time || !hexDigitsToBytes(line.substr(bar + 1), frame.bytes)) {
            ++result.passedOver;
            continue;
        }
        frame.receivedMs = *time;
        result.frames.push_back(std::move(frame));
    }
    return result;
}

NetworkFrames readSatnogsJson(std::string_view text, std::string_view fileName) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    const QJsonArray entries =
        document.isArray() ? document.array() : document.object().value("results").toArray();
    if (error.error != QJsonParseError::NoError ||
        !(document.isArray() || document.object().value("results").isArray()))
        throw RunError("'" + std::string(fileName) + "' is not a SatNOGS frames file" +
                       (error.error != QJsonParseError::NoError
                            ? ": " + error.errorString().toStdString() + " at byte " +
                                  std::to_string(error.offset)
                            : std::string()));
    NetworkFrames result;
    for (const QJsonValue& entry : entries) {
        const QJsonObject object = entry.toObject();
        const QByteArray digits = object.value("frame").toString().toLatin1();
        QDateTime time =
            QDateTime::fromString(object.value("timestamp").toString(), Qt::ISODateWithMs);
        if (time.timeSpec() == Qt::LocalTime)
            time.setTimeSpec(Qt::UTC); // the DB's times are UTC, with or without their "Z"
        NetworkFrame frame;
        if (!time.isValid() ||
            !hexDigitsToBytes(
                std::string_view(digits.constData(), static_cast<std::size_t>(digits.size())),
                frame.bytes)) {
            ++result.passedOver;
            continue;
        }
        frame.receivedMs = time.toMSecsSinceEpoch();
        result.frames.push_back(std::move(frame));
    }
    return result;
}

std::string networkFramesHexFile(std::vector<NetworkFrame> frames) {
    std::stable_sort(
        frames.begin(), frames.end(),
        [](const NetworkFrame& a, const NetworkFrame& b) { return a.receivedMs < b.receivedMs; });
    std::string out;
    for (const NetworkFrame& frame : frames) {
        out += "00 ";
        appendHexTokens(out, frame.bytes);
        out.append(kHexLineEnd);
    }
    return out;
}

} // namespace zelto
