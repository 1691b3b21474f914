#include "picture/jpeg_scan.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

TEST(JpegScan, RestartMarkersUpToTheFirstOtherMarker) {
    // A stuffed FF, RST3, fill before RST4, then the end of the image and what follows it.
    const ScanStretch stretch = readScanStretch(bytesOf({0x12, 0xFF, 0x00, 0xFF, 0xD3, 0x34, 0xFF,
                                                         0xFF, 0xD4, 0x56, 0xFF, 0xD9, 0xFF, 0xD5}),
                                                1000);
    ASSERT_EQ(stretch.markers.size(), 2u);
    EXPECT_EQ(stretch.markers[0].position, 1003u);
    EXPECT_EQ(stretch.markers[0].number, 3);
    EXPECT_EQ(stretch.markers[1].position, 1007u);
    EXPECT_EQ(stretch.markers[1].number, 4);
    EXPECT_EQ(stretch.end, 1010u);
    EXPECT_TRUE(stretch.endsScan);
}

TEST(JpegScan, AMarkerAfterAGapIsPlacedOnlyWhereItsPlaceIsCertain) {
    const auto stretch = [](std::size_t begin, std::vector<RestartMarker> markers,
                            bool endsScan = false) {
        return ScanStretch{begin, begin + 150, std::move(markers), endsScan};
    };
    // Markers 0 and 1 counted from the start of the scan; then one numbered 4, 190 bytes on.
    const std::vector<ScanStretch> stretches{stretch(100, {{110, 0}, {120, 1}}),
                                             stretch(300, {{310, 4}, {360, 5}})};
    // At least 50 bytes an interval: k lies within 2 to 4, so it is 4.
    EXPECT_EQ(restartIndices(stretches, 40, 50), (std::vector<std::optional<long>>{0, 4}));
    // At least 10: 12 would do as well.
    EXPECT_EQ(restartIndices(stretches, 40, 10), (std::vector<std::optional<long>>{0, {}}));
    // Counted back from the end of the scan, which no marker follows: 40 intervals, so the
    // last marker is k = 38; that also places the stretch before it.
    const std::vector<ScanStretch> toTheEnd{stretch(100, {{110, 0}}), stretch(2000, {{2010, 3}}),
                                            stretch(2300, {{2310, 4}, {2360, 5}, {2400, 6}}, true)};
    EXPECT_EQ(restartIndices(toTheEnd, 40, 50), (std::vector<std::optional<long>>{0, 35, 36}));
    // Markers out of sequence place nothing.
    const std::vector<ScanStretch> damaged{stretch(100, {{110, 0}}),
                                           stretch(300, {{310, 3}, {360, 5}}, true)};
    EXPECT_EQ(restartIndices(damaged, 40, 50), (std::vector<std::optional<long>>{0, {}}));
}
