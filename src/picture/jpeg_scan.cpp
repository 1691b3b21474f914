// Finding the restart markers of a JPEG scan, so that data after a gap can be placed.
#include "picture/jpeg_scan.h"

#include <algorithm>

namespace zelto {

namespace {

constexpr unsigned char kMarkerByte = 0xFF;
constexpr unsigned char kFirstRestart = 0xD0;
constexpr unsigned char kLastRestart = 0xD7;
constexpr unsigned char kEndOfImage = 0xD9;

bool inSequence(const ScanStretch& stretch) {
    for (std::size_t i = 1; i < stretch.markers.size(); ++i)
        if (stretch.markers[i].number != (stretch.markers[i - 1].number + 1) % 8)
            return false;
    return true;
}

// A marker whose k is known, and where it stands. Positions are signed: the start of the
// scan counts as a marker k = -1 just before the first byte of data.
struct Anchor {
    long long position;
    long index;
};

} // namespace

ScanStretch readScanStretch(std::string_view bytes, std::size_t begin) {
    ScanStretch stretch;
    stretch.begin = begin;
    stretch.end = begin + bytes.size();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (byte(i) != kMarkerByte)
            continue;
        const unsigned char next = byte(i + 1);
        if (next == 0x00 || next == kMarkerByte) // a stuffed data byte, or fill before a marker
            continue;
        if (next >= kFirstRestart && next <= kLastRestart) {
            stretch.markers.push_back({begin + i, next - kFirstRestart});
            ++i;
            continue;
        }
        stretch.end = begin + i;
        stretch.endsScan = next == kEndOfImage;
        break;
    }
    return stretch;
}

std::vector<std::optional<long>> restartIndices(const std::vector<ScanStretch>& stretches,
                                                long intervals, std::size_t fewestIntervalBytes) {
    const std::size_t count = stretches.size();
    std::vector<std::optional<long>> first(count);
    if (count == 0)
        return first;
    const auto fewest = static_cast<long long>(std::max<std::size_t>(fewestIntervalBytes, 1));

    // From the start of the scan the markers are counted.
    std::optional<Anchor> scanStart;
    if (inSequence(stretches[0]) &&
        (stretches[0].markers.empty() || stretches[0].markers[0].number == 0)) {
        scanStart = Anchor{static_cast<long long>(stretches[0].begin) - 2, -1};
        if (!stretches[0].markers.empty())
            first[0] = 0;
    }
    // Back from the end of the scan too: no marker follows the last interval.
    for (std::size_t s = 1; s < count; ++s) {
        const ScanStretch& stretch = stretches[s];
        if (!stretch.endsScan || stretch.markers.empty() || !inSequence(stretch))
            continue;
        const long k = intervals - 1 - static_cast<long>(stretch.markers.size());
        if (k >= 0 && k % 8 == stretch.markers[0].number)
            first[s] = k;
    }

    const auto lastAnchorBefore = [&](std::size_t s) -> std::optional<Anchor> {
        for (std::size_t p = s; p-- > 0;)
            if (first[p])
                return Anchor{static_cast<long long>(stretches[p].markers.back().position),
                              *first[p] + static_cast<long>(stretches[p].markers.size()) - 1};
        return scanStart;
    };
    const auto firstAnchorAfter = [&](std::size_t s) -> std::optional<Anchor> {
        for (std::size_t q = s + 1; q < count; ++q)
            if (first[q])
                return Anchor{static_cast<long long>(stretches[q].markers.front().position),
                              *first[q]};
        return std::nullopt;
    };

    // Between two markers of known k lie at least that many bytes per interval, which bounds
    // the k of a marker in a stretch between them; a bound narrower than eight values leaves
    // one k of the marker's number. Each stretch placed may place its neighbours.
    for (bool placed = true; placed;) {
        placed = false;
        for (std::size_t s = 1; s < count; ++s) {
            const ScanStretch& stretch = stretches[s];
            if (first[s] || stretch.markers.empty() || !inSequence(stretch))
                continue;
            const long markers = static_cast<long>(stretch.markers.size());
            long low = 0;
            long high =
                intervals - 1 - markers; // the last marker follows an interval before the last
            if (const auto before = lastAnchorBefore(s)) {
                const long long span =
                    static_cast<long long>(stretch.markers.front().position) - before->position;
                low = std::max(low, before->index + 1);
                high = std::min(high, before->index + static_cast<long>(span / fewest));
            }
            if (const auto after = firstAnchorAfter(s)) {
                const long long span =
                    after->position - static_cast<long long>(stretch.markers.back().position);
                low = std::max(low, after->index - markers + 1 - static_cast<long>(span / fewest));
                high = std::min(high, after->index - markers);
            }
            std::optional<long> only;
            int candidates = 0;
            for (long k = low; k <= high && candidates < 2; ++k)
                if (k % 8 == stretch.markers[0].number) {
                    only = k;
                    ++candidates;
                }
            if (candidates == 1) {
                first[s] = only;
                placed = true;
            }
        }
    }
    return first;
}

} // namespace zelto
