#include "core/run_error.h"
#include "picture/picture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

TEST(Picture, AJpegIsCheckedWhenLoadedAndDecodedWhenFirstDrawn) {
    WorkFolder work;
    writeFile(work / "thumb 0A 1B 2C 3D.jpg", smallJpeg(40, 30, 7));
    const Picture picture = loadPicture(work / "thumb 0A 1B 2C 3D.jpg", "thumb 0A 1B 2C 3D.jpg");
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(picture.image().size(), QSize(40, 30));
}

TEST(Picture, DamagedDataAfterAValidHeaderIsDrawnAsFarAsItDecodes) {
    WorkFolder work;
    const std::string jpeg = smallJpeg(64, 64, 8);
    writeFile(work / "cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    const Picture picture = loadPicture(work / "cut.jpg", "cut.jpg");
    EXPECT_EQ(picture.image().size(), QSize(64, 64));
}

TEST(Picture, TheRunTimeMessagesOfPicturesThatCannotBeShown) {
    WorkFolder work;
    writeFile(work / "bad.jpg", std::string(300, 'x'));
    writeFile(work / "bad.bmp", "BM not really");
    EXPECT_TRUE(
        messageOf([&] { loadPicture(work / "bad.jpg", "bad.jpg"); }).starts_with("JPEG error #"));
    EXPECT_EQ(messageOf([&] { loadPicture(work / "bad.bmp", "bad.bmp"); }),
              "Bitmap image is not valid");
    EXPECT_EQ(messageOf([&] { loadPicture(work / "gone.jpg", "gone.jpg"); }),
              "Cannot open file gone.jpg");
}
