#include "picture/picture.h"
#include "picture/preview.h"
#include "store/frame_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

long frameCountOf(const std::string& jpeg) {
    return static_cast<long>(jpeg.size()) / 200 + 1;
}

// Every frame of the file, as the store would hold them.
PresentFrames framesOf(const std::string& jpeg) {
    PresentFrames frames;
    const long count = frameCountOf(jpeg);
    for (long f = count; f >= 1; --f)
        frames[f] = jpeg.substr(static_cast<std::size_t>(count - f) * 200, 200);
    return frames;
}

bool rowIsGrey(const QImage& image, int y) {
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != kPreviewGrey)
            return false;
    return true;
}

bool rowsEqual(const QImage& a, const QImage& b, int y) {
    for (int x = 0; x < a.width(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y))
            return false;
    return true;
}

// Rows from the top that equal the whole image's.
int sameRowsFromTop(const QImage& preview, const QImage& whole) {
    int y = 0;
    while (y < preview.height() && rowsEqual(preview, whole, y))
        ++y;
    return y;
}

// Each pixel is the whole image's own or grey; counts the grey ones.
int greyUnlessOwn(const QImage& preview, const QImage& whole) {
    int grey = 0;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x) {
            if (preview.pixel(x, y) == whole.pixel(x, y))
                continue;
            EXPECT_EQ(preview.pixel(x, y), kPreviewGrey) << x << "," << y;
            ++grey;
        }
    return grey;
}

} // namespace

TEST(Preview, TheRowsOfTheFramesFromTheStartAreTheImagesOwnAndTheRestIsGrey) {
    const std::string jpeg = smallJpeg(96, 96, 11);
    const QImage whole = decodeJpeg(jpeg);
    const long count = frameCountOf(jpeg);
    PresentFrames frames = framesOf(jpeg);
    frames.erase(count / 2); // without restart markers, nothing after it can be placed

    const Preview preview = decodePreview(frames, count);
    ASSERT_FALSE(preview.image.isNull()) << preview.reason;
    ASSERT_EQ(preview.image.size(), whole.size());
    const int exact = sameRowsFromTop(preview.image, whole);
    EXPECT_GE(exact, 16);
    EXPECT_LT(exact, 64);
    for (int y = exact; y < 96; ++y)
        EXPECT_TRUE(rowIsGrey(preview.image, y)) << y;

    // All frames in: the picture is the file's.
    EXPECT_EQ(decodePreview(framesOf(jpeg), count).image, whole);
}

TEST(Preview, NoPictureWithoutTheWholeHeaderButAReason) {
    const std::string jpeg = smallJpeg(96, 96, 12);
    const long count = frameCountOf(jpeg);
    PresentFrames frames = framesOf(jpeg);

    PresentFrames headless = frames;
    headless.erase(count);
    Preview preview = decodePreview(headless, count);
    EXPECT_TRUE(preview.image.isNull());
    EXPECT_EQ(preview.reason, "No preview yet: the header frame (frame " + std::to_string(count) +
                                  ", the first of the file) has not arrived");

    // The tables of the header take more than one frame.
    PresentFrames cut = frames;
    cut.erase(count - 1);
    preview = decodePreview(cut, count);
    EXPECT_TRUE(preview.image.isNull());
    EXPECT_EQ(preview.reason, "No preview yet: frame " + std::to_string(count - 1) +
                                  " holds more of the JPEG header and has not arrived");

    PresentFrames damaged = frames;
    damaged[count] = std::string(200, 'x');
    damaged.erase(3);
    preview = decodePreview(damaged, count);
    EXPECT_TRUE(preview.image.isNull());
    EXPECT_TRUE(preview.reason.starts_with("No preview: JPEG error #")) << preview.reason;
}

TEST(Preview, WithRestartMarkersTheDataAfterAGapGoesToItsPlace) {
    // Six MCUs across, a marker every four: intervals do not keep to MCU rows.
    const std::string jpeg = jpegWithRestarts(96, 96, 13, 4);
    const QImage whole = decodeJpeg(jpeg);
    const long count = frameCountOf(jpeg);
    PresentFrames frames = framesOf(jpeg);
    frames.erase(count - count / 3);

    const Preview preview = decodePreview(frames, count);
    ASSERT_FALSE(preview.image.isNull()) << preview.reason;
    // Grey where the gap is, and in the pixels beside it that its chroma reaches.
    EXPECT_GE(sameRowsFromTop(preview.image, whole), 15);
    EXPECT_GT(greyUnlessOwn(preview.image, whole), 0);
    // The data after the gap down to the end of the file.
    for (int y = 80; y < 96; ++y)
        EXPECT_TRUE(rowsEqual(preview.image, whole, y)) << y;
}

TEST(Preview, AFrameFileOfAnyOtherSizeThanTwoHundredBytesIsMissing) {
    WorkFolder work;
    const std::string jpeg = smallJpeg(64, 64, 14);
    const long count = frameCountOf(jpeg);
    const fs::path folder = work / "Thumbs" / StoreLayout::imageFolderName("0A 1B 2C 3D", count);
    fs::create_directories(folder);
    PresentFrames frames = framesOf(jpeg);
    for (const auto& [f, bytes] : frames)
        writeFile(folder / StoreLayout::frameFileName(f), bytes);
    const long damaged = count - 3;
    writeFile(folder / StoreLayout::frameFileName(damaged), frames[damaged].substr(0, 199));
    // An unfinished write of the frame does not count either.
    writeFile(folder / (".zelto-partial-" + StoreLayout::frameFileName(damaged)), frames[damaged]);
    frames.erase(damaged);

    const FolderPreview fromStore = previewOfImageFolder(folder, count);
    ASSERT_TRUE(fromStore.frames);
    EXPECT_EQ(*fromStore.frames, frames);
    EXPECT_EQ(fromStore.preview.image, decodePreview(frames, count).image);
}
