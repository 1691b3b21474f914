#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace zelto {

// The entropy-coded data of a JPEG scan is cut by restart markers RST0 to RST7 into
// intervals of a fixed number of MCUs; the k-th marker of the scan (from 0) follows
// interval k and is numbered k mod 8. After a gap in the data, decoding can start again at
// any marker whose k is known for certain.

struct RestartMarker {
    std::size_t position = 0; // of its FF byte, in the file
    int number = 0;           // n of RSTn
};

// Consecutive bytes of a scan's entropy-coded data as received.
struct ScanStretch {
    std::size_t begin = 0; // file position of its first byte
    std::size_t end = 0;   // file position past its last byte of entropy-coded data
    std::vector<RestartMarker> markers;
    bool endsScan = false; // the scan's closing marker (EOI) stands at `end`
};

// Reads entropy-coded bytes that stand at file position `begin`, up to their end or the first
// marker that is no restart marker.
ScanStretch readScanStretch(std::string_view bytes, std::size_t begin);

// For each stretch, in file order, the k of its first marker when the positions make it
// certain. The first stretch begins where the scan does; `intervals` is the scan's number of
// intervals and `fewestIntervalBytes` (at least 1) the fewest bytes that an interval with the
// marker after it can take. A stretch whose markers are not numbered in sequence gets none.
std::vector<std::optional<long>> restartIndices(const std::vector<ScanStretch>& stretches,
                                                long intervals, std::size_t fewestIntervalBytes);

} // namespace zelto
