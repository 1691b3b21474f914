// Frames as the SatNOGS DB gives them: its CSV download and its telemetry API's JSON.
#include "import/satnogs_frames.h"

#include "core/file_io.h"
#include "core/panes.h"
#include "core/run_error.h"
#include "core/text.h"
#include "import/hex_frame_file.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace zelto {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

bool allHexDigits(std::string_view digits) {
    return !digits.empty() && digits.size() % 2 == 0 &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigitValue(c) >= 0; });
}

[[noreturn]] void notJson(std::string_view what, std::size_t offset) {
    throw NotSatnogsJson(std::string(what) + " at byte " + std::to_string(offset));
}

// The text block by block, one character at a time, able to keep the characters of one value
// as they go by.
class JsonSource {
  public:
    explicit JsonSource(const std::function<std::string_view()>& nextBlock)
        : nextBlock_(nextBlock) {}

    int peek() {
        if (at_ == block_.size() && !refill())
            return -1;
        return static_cast<unsigned char>(block_[at_]);
    }
    int get() {
        const int c = peek();
        if (c >= 0)
            ++at_;
        return c;
    }
    std::size_t offset() const { return passed_ + at_; }

    void keepFromHere() {
        kept_.clear();
        keeping_ = true;
        keptFrom_ = at_;
    }
    std::string_view kept() {
        kept_.append(block_.substr(keptFrom_, at_ - keptFrom_));
        keeping_ = false;
        return kept_;
    }

  private:
    bool refill() {
        if (keeping_) {
            kept_.append(block_.substr(keptFrom_));
            keptFrom_ = 0;
        }
        passed_ += block_.size();
        block_ = nextBlock_();
        at_ = 0;
        return !block_.empty();
    }

    const std::function<std::string_view()>& nextBlock_;
    std::string_view block_;
    std::size_t at_ = 0;
    std::size_t passed_ = 0;
    std::string kept_;
    bool keeping_ = false;
    std::size_t keptFrom_ = 0;
};

bool isJsonSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void skipSpace(JsonSource& in) {
    while (isJsonSpace(in.peek()))
        in.get();
}

// After the opening quote.
void skipStringRest(JsonSource& in) {
    for (;;) {
        const int c = in.get();
        if (c == '"')
            return;
        if (c == '\\')
            in.get();
        if (c < 0)
            notJson("unterminated string", in.offset());
    }
}

// Finds where a value ends; whether it is well-formed inside is for QJsonDocument to say.
void skipValue(JsonSource& in) {
    const int first = in.peek();
    if (first == '"') {
        in.get();
        skipStringRest(in);
        return;
    }
    if (first == '{' || first == '[') {
        std::vector<char> open;
        for (;;) {
            const std::size_t at = in.offset();
            const int c = in.get();
            if (c < 0)
                notJson(open.back() == '{' ? "unterminated object" : "unterminated array", at);
            if (c == '"') {
                skipStringRest(in);
            } else if (c == '{' || c == '[') {
                open.push_back(static_cast<char>(c));
            } else if (c == '}' || c == ']') {
                if (open.back() != (c == '}' ? '{' : '['))
                    notJson("illegal value", at);
                open.pop_back();
                if (open.empty())
                    return;
            }
        }
    }
    // A number or a literal: up to what ends it.
    std::size_t count = 0;
    for (int c = in.peek(); c >= 0 && c != ',' && c != ']' && c != '}' && !isJsonSpace(c);
         c = in.peek()) {
        in.get();
        ++count;
    }
    if (count == 0)
        notJson("illegal value", in.offset());
}

QJsonValue parseValue(std::string_view text, std::size_t offset) {
    QJsonParseError error{};
    // QJsonDocument takes only an object or an array as a whole text.
    const bool whole = text.front() == '{' || text.front() == '[';
    const QByteArray json =
        whole ? QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()))
              : "[" + QByteArray(text.data(), static_cast<qsizetype>(text.size())) + "]";
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        notJson(error.errorString().toStdString(),
                offset + static_cast<std::size_t>(error.offset) - (whole ? 0 : 1));
    if (!whole)
        return document.array().at(0);
    return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
}

QJsonValue nextValue(JsonSource& in) {
    const std::size_t offset = in.offset();
    in.keepFromHere();
    skipValue(in);
    return parseValue(in.kept(), offset);
}

// After the opening bracket of the array of entries.
void scanEntries(JsonSource& in, const SatnogsJsonParts& parts) {
    skipSpace(in);
    if (in.peek() == ']') {
        in.get();
        return;
    }
    for (;;) {
        skipSpace(in);
        const std::size_t offset = in.offset();
        in.keepFromHere();
        skipValue(in);
        const std::string_view text = in.kept();
        const QJsonValue entry = parseValue(text, offset);
        if (parts.entry)
            parts.entry(text, entry);
        skipSpace(in);
        const std::size_t at = in.offset();
        const int c = in.get();
        if (c == ']')
            return;
        if (c != ',')
            notJson(c < 0 ? "unterminated array" : "missing value separator", at);
    }
}

// After the opening brace of the enclosing object; true when it held the array of entries.
bool scanMembers(JsonSource& in, const SatnogsJsonParts& parts) {
    skipSpace(in);
    if (in.peek() == '}') {
        in.get();
        return false;
    }
    bool entries = false;
    for (;;) {
        skipSpace(in);
        if (in.peek() != '"')
            notJson(in.peek() < 0 ? "unterminated object" : "illegal value", in.offset());
        const QString name = nextValue(in).toString();
        skipSpace(in);
        if (in.get() != ':')
            notJson("missing name separator", in.offset() - 1);
        skipSpace(in);
        if (name == QLatin1String("results") && in.peek() == '[') {
            in.get();
            scanEntries(in, parts);
            entries = true;
        } else {
            const QJsonValue value = nextValue(in);
            if (parts.member)
                parts.member(name, value);
        }
        skipSpace(in);
        const std::size_t at = in.offset();
        const int c = in.get();
        if (c == '}')
            return entries;
        if (c != ',')
            notJson(c < 0 ? "unterminated object" : "missing value separator", at);
    }
}

// A file block by block for the scanner, telling the bytes read now and then.
class BlockReader {
  public:
    BlockReader(InputFile& input, const ReadProgress& progress)
        : input_(input), progress_(progress), block_(1 << 16, '\0') {}

    std::string_view next() {
        const std::size_t n = input_.read(block_.data(), block_.size());
        read_ += static_cast<long>(n);
        if (progress_ && read_ >= nextProgress_) {
            progress_(read_, static_cast<long>(input_.size()));
            nextProgress_ = read_ + kProgressStep;
        }
        return std::string_view(block_).substr(0, n);
    }

  private:
    InputFile& input_;
    const ReadProgress& progress_;
    std::string block_;
    long read_ = 0;
    long nextProgress_ = kProgressStep;
};

} // namespace

bool NetworkFrames::addHex(std::string_view digits, std::optional<std::int64_t> receivedMs) {
    if (!allHexDigits(digits) || digits.size() / 2 > std::numeric_limits<std::uint32_t>::max())
        return false;
    const std::size_t begin = bytes_.size();
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes_.push_back(
            static_cast<char>(hexDigitValue(digits[i]) * 16 + hexDigitValue(digits[i + 1])));
    entries_.push_back({receivedMs.value_or(0), begin,
                        static_cast<std::uint32_t>(digits.size() / 2), receivedMs.has_value()});
    if (!receivedMs) {
        ++untimed_;
        return true;
    }
    if (lastTime_ && *receivedMs > *lastTime_)
        ++stepsUp_;
    if (lastTime_ && *receivedMs < *lastTime_)
        ++stepsDown_;
    lastTime_ = receivedMs;
    return true;
}

void NetworkFrames::sortForDecoding() {
    const bool newestFirst = stepsDown_ > stepsUp_;
    const auto before = [newestFirst](const Entry& a, const Entry& b) {
        if (a.timed != b.timed)
            return a.timed;
        if (a.timed && a.receivedMs != b.receivedMs)
            return a.receivedMs < b.receivedMs;
        return a.timed && newestFirst ? a.begin > b.begin : a.begin < b.begin;
    };
    // The DB's own files come in order one way or the other: for them this costs no more than
    // going through them once.
    if (newestFirst)
        std::reverse(entries_.begin(), entries_.end());
    if (!std::is_sorted(entries_.begin(), entries_.end(), before))
        std::sort(entries_.begin(), entries_.end(), before);
}

NetworkFrames readSatnogsCsv(const std::filesystem::path& file, const ReadProgress& progress) {
    InputFile input(file);
    NetworkFrames frames;
    frames.reserveFor(input.size());
    std::string line;
    long read = 0;
    long nextProgress = kProgressStep;
    for (bool first = true; input.readLine(line); first = false) {
        read += static_cast<long>(line.size()) + 1;
        if (progress && read >= nextProgress) {
            progress(read, static_cast<long>(input.size()));
            nextProgress = read + kProgressStep;
        }
        std::string_view text = line;
        if (first && text.starts_with(kByteOrderMark))
            text.remove_prefix(kByteOrderMark.size());
        if (text.empty())
            continue;
        const std::size_t bar = text.find('|');
        if (bar == std::string_view::npos) {
            ++frames.passedOver;
            continue;
        }
        const std::string_view timeText = text.substr(0, bar);
        const std::string_view rest = text.substr(bar + 1);
        const std::optional<std::int64_t> time = csvTime(timeText);
        if ((!time && !timeText.empty()) || !frames.addHex(rest.substr(0, rest.find('|')), time))
            ++frames.passedOver;
    }
    frames.sortForDecoding();
    return frames;
}

NetworkFrames readSatnogsJson(const std::filesystem::path& file, const ReadProgress& progress) {
    InputFile input(file);
    BlockReader reader(input, progress);
    NetworkFrames frames;
    frames.reserveFor(input.size());
    const std::function<std::string_view()> nextBlock = [&] { return reader.next(); };
    SatnogsJsonParts parts;
    parts.entry = [&](std::string_view, const QJsonValue& entry) {
        const std::optional<SatnogsEntryFrame> frame = satnogsEntryFrame(entry);
        if (!frame ||
            !frames.addHex(std::string_view(frame->digits.constData(),
                                            static_cast<std::size_t>(frame->digits.size())),
                           frame->receivedMs))
            ++frames.passedOver;
    };
    try {
        scanSatnogsJson(nextBlock, parts);
    } catch (const NotSatnogsJson& error) {
        const std::string what = error.what();
        throw RunError("'" + file.filename().string() + "' is not a SatNOGS frames file" +
                       (what.empty() ? std::string() : ": " + what));
    }
    frames.sortForDecoding();
    return frames;
}

void scanSatnogsJson(const std::function<std::string_view()>& nextBlock,
                     const SatnogsJsonParts& parts) {
    JsonSource in(nextBlock);
    for (const char mark : kByteOrderMark) {
        if (in.peek() != static_cast<unsigned char>(mark))
            break;
        in.get();
    }
    skipSpace(in);
    const std::size_t start = in.offset();
    const int first = in.get();
    bool entries = true;
    if (first == '[')
        scanEntries(in, parts);
    else if (first == '{')
        entries = scanMembers(in, parts);
    else
        notJson("illegal value", start);
    skipSpace(in);
    if (in.peek() >= 0)
        notJson("garbage at the end of the document", in.offset());
    if (!entries)
        throw NotSatnogsJson("");
}

std::optional<SatnogsEntryFrame> satnogsEntryFrame(const QJsonValue& entry) {
    const QJsonObject object = entry.toObject();
    SatnogsEntryFrame frame;
    frame.digits = object.value(QLatin1String("frame")).toString().toLatin1();
    if (!allHexDigits(std::string_view(frame.digits.constData(),
                                       static_cast<std::size_t>(frame.digits.size()))))
        return std::nullopt;
    const QJsonValue timestamp = object.value(QLatin1String("timestamp"));
    if (timestamp.isNull() || timestamp.isUndefined())
        return frame;
    QDateTime time = QDateTime::fromString(timestamp.toString(), Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC); // the DB's times are UTC, with or without their "Z"
    frame.receivedMs = time.toMSecsSinceEpoch();
    return frame;
}

void forEachNetworkFrameHexLine(const NetworkFrames& frames,
                                const std::function<void(std::string_view line)>& write) {
    std::string line;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        line.assign("00 ");
        appendHexTokens(line, frames.bytes(i));
        line.append(kHexLineEnd);
        write(line);
    }
}

} // namespace zelto
