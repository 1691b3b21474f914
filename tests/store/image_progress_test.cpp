#include "store/image_progress.h"

#include <gtest/gtest.h>

using namespace zelto;

TEST(ImageProgress, FramesReceivedAndTheMissingOnesInRuns) {
    PresentFrames frames;
    for (long f = 1; f <= 300; ++f)
        if (!(f >= 5 && f <= 9) && f != 120 && f < 200)
            frames[f] = "";
    EXPECT_EQ(receivedFramesText(frames, 300), "193 of 300 frames");
    EXPECT_EQ(missingFramesMap(frames, 300), "missing 5-9, 120, 200-300");

    EXPECT_EQ(missingFramesMap({}, 1), "missing 1");
    EXPECT_EQ(missingFramesMap({{1, ""}, {2, ""}}, 2), "missing none");
}
