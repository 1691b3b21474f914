#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// The frames of a SatNOGS DB file, each from the beacon's own first byte, held compactly since a
// file can hold millions: the bytes of all in one string, and per frame its time of reception
// and where its bytes lie.
class NetworkFrames {
  public:
    // Room for the frames of a file of that size: its bytes never need copying as they grow.
    // Memory is taken only as the frames fill it.
    void reserveFor(std::size_t fileSize) { bytes_.reserve(fileSize / 2); }

    // A frame given as hex digits (either case, no blanks); false, and nothing kept, for an odd
    // count, another character, or none. `receivedMs` is milliseconds since 1970, UTC, or none.
    bool addHex(std::string_view digits, std::optional<std::int64_t> receivedMs);

    // Puts the frames in the order they are decoded in: oldest first, then those without a time
    // in the order added. Frames of one time keep their order of reception: the DB lists the
    // newest first (its CSV download and its API alike), so in a file that runs that way (more
    // steps down in time than up between neighbouring timed frames) they are taken in the
    // reverse of the order added, in any other file in that order.
    void sortForDecoding();

    std::size_t size() const { return entries_.size(); }
    std::string_view bytes(std::size_t i) const {
        return std::string_view(bytes_).substr(entries_[i].begin, entries_[i].size);
    }
    std::optional<std::int64_t> receivedMs(std::size_t i) const {
        return entries_[i].timed ? std::optional<std::int64_t>(entries_[i].receivedMs)
                                 : std::nullopt;
    }
    long untimed() const { return untimed_; }

    long passedOver = 0; // lines or entries that were no frame

  private:
    struct Entry {
        std::int64_t receivedMs;
        std::size_t begin; // in bytes_, which also tells the order added
        std::uint32_t size;
        bool timed;
    };
    std::string bytes_;
    std::vector<Entry> entries_;
    long untimed_ = 0;
    long stepsUp_ = 0;
    long stepsDown_ = 0;
    std::optional<std::int64_t> lastTime_;
};

// Told the bytes of the file read so far and its size, now and then.
using ReadProgress = std::function<void(long done, long total)>;

// The SatNOGS DB's CSV download, read line by line: "YYYY-MM-DD HH:MM:SS|FRAME|OBSERVATION|
// OBSERVER" (UTC, hex digits of either case without blanks; the last two fields may be empty or
// missing, as in older downloads), lines ended by LF or CR LF, a UTF-8 byte order mark ignored.
// A line with an empty time is a frame without one. Empty lines are no lines; any other line
// that is not a frame is passed over and counted. In the order of decoding; throws RunError when
// the file cannot be read.
NetworkFrames readSatnogsCsv(const std::filesystem::path& file, const ReadProgress& progress = {});

// The DB's telemetry API: an array of objects with at least "frame" (hex) and "timestamp" (ISO
// 8601; null or missing for a frame without a time), or an object whose "results" holds such an
// array, each entry parsed on its own. Entries that are no frame are passed over and counted;
// text that is not such JSON at all throws RunError naming the file. In the order of decoding.
NetworkFrames readSatnogsJson(const std::filesystem::path& file, const ReadProgress& progress = {});

// Text that is not the telemetry API's JSON: what is wrong and at which byte, or an empty
// message for JSON without an array of entries.
class NotSatnogsJson : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Goes through telemetry JSON without parsing it whole, the text given block by block until an
// empty one: a light scanner finds where each entry of the array begins and ends, and each entry,
// and each other member of an enclosing object ("count", "next", ...), is parsed on its own by
// QJsonDocument and handed on, an entry with its text as it stands. Throws NotSatnogsJson.
struct SatnogsJsonParts {
    std::function<void(std::string_view text, const QJsonValue& entry)> entry;
    std::function<void(const QString& name, const QJsonValue& value)> member;
};
void scanSatnogsJson(const std::function<std::string_view()>& nextBlock,
                     const SatnogsJsonParts& parts);

// The frame that one entry of the telemetry API holds: its hex digits and its time of reception
// (none for a "timestamp" null or missing); nothing for an entry that holds no frame or whose
// time does not read.
struct SatnogsEntryFrame {
    QByteArray digits;
    std::optional<std::int64_t> receivedMs;
};
std::optional<SatnogsEntryFrame> satnogsEntryFrame(const QJsonValue& entry);

// The HEX frame file's line of each frame, in order: "00 " (in the place of a KISS command
// byte), its bytes as tokens, CR LF.
void forEachNetworkFrameHexLine(const NetworkFrames& frames,
                                const std::function<void(std::string_view line)>& write);

} // namespace zelto
