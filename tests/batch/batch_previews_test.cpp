#include "batch/batch_runner.h"
#include "picture/picture.h"
#include "picture/preview.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

// The frames of an image but those numbered in `leftOut`.
std::vector<std::string> framesBut(ImageKind kind, std::string_view id4, const std::string& jpeg,
                                   std::vector<int> leftOut) {
    std::vector<std::string> kept;
    const auto all = imageFrames(kind, id4, jpeg);
    const int count = static_cast<int>(all.size());
    for (int i = 0; i < count; ++i)
        if (std::find(leftOut.begin(), leftOut.end(), count - i) == leftOut.end())
            kept.push_back(all[static_cast<std::size_t>(i)]);
    return kept;
}

} // namespace

TEST(BatchPreviews, OnePictureForEachIncompleteImageThatHasItsHeader) {
    BatchFolder folder;
    const std::string thumbId = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    const std::string puzzleId = bytesOf({0xC0, 0xDB, 0x00, 0x7F});
    const std::string thumb = smallJpeg(48, 48, 31);
    const std::string headless = smallJpeg(32, 32, 32);
    const std::string small = smallJpeg(32, 16, 33);
    const std::string large = smallJpeg(64, 64, 34);
    const std::string whole = smallJpeg(16, 16, 35);
    const int headlessCount = static_cast<int>(headless.size()) / 200 + 1;
    const int smallCount = static_cast<int>(small.size()) / 200 + 1;
    const int largeCount = static_cast<int>(large.size()) / 200 + 1;
    ASSERT_NE(smallCount, largeCount);

    std::vector<std::string> frames = framesBut(ImageKind::Thumbnail, thumbId, thumb, {2});
    for (const auto& more :
         {framesBut(ImageKind::Thumbnail, bytesOf({1, 2, 3, 4}), headless, {headlessCount}),
          framesBut(ImageKind::Puzzle, puzzleId, small, {1}),
          framesBut(ImageKind::Puzzle, puzzleId, large, {1}),
          framesBut(ImageKind::Puzzle, bytesOf({5, 6, 7, 8}), whole, {})})
        frames.insert(frames.end(), more.begin(), more.end());
    writeFile(folder.captures() / "pass.hex", hexFile(frames));

    // Without the option, nothing more than before.
    BatchResult result = folder.run({(folder.captures() / "pass.hex").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(fs::exists(folder.work() / "web"));
    const std::string report = result.out;

    result = folder.run(
        {"--puzzles", "--previews", "web/now", (folder.captures() / "pass.hex").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const fs::path web = folder.work() / "web" / "now";
    const std::string puzzle = "puzzl " + idText(puzzleId);
    EXPECT_EQ(listFolder(web),
              (std::vector<std::string>{puzzle + " " + std::to_string(largeCount) + ".png",
                                        puzzle + " " + std::to_string(smallCount) + ".png",
                                        "thumb " + idText(thumbId) + ".png"}));

    // The picture is the preview: the top of the thumbnail, then grey.
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(readFile(web / ("thumb " + idText(thumbId) + ".png"))));
    const QImage full = decodeJpeg(thumb);
    ASSERT_EQ(picture.size(), full.size());
    EXPECT_EQ(picture.pixel(0, 0), full.pixel(0, 0));
    EXPECT_EQ(picture.pixel(47, 47), kPreviewGrey);

    // A DIR that cannot be made is a failure of its own, after the commands have reported.
    writeFile(folder.work() / "taken", "");
    result = folder.run({"--previews", "taken", (folder.captures() / "pass.hex").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, report);
    EXPECT_TRUE(result.err.starts_with("Zeltodecoder-batch: taken: ")) << result.err;
}
