#include "commands/kiss_import.h"
#include "commands/text_import.h"

#include "store/frame_store.h"
#include "support/kiss_capture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace zelto;
using namespace zelto::test;

namespace {

namespace fs = std::filesystem;

// One pass of the satellite: the description of a thumbnail, an icon, the thumbnail
// whole and a puzzle whole, with what decoding them must give.
struct Pass {
    std::string thumbId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
    std::string iconId4 = bytesOf({0x01, 0x02, 0x03, 0x04});
    std::string puzzleId4 = bytesOf({0x11, 0x22, 0x33, 0x44});
    std::string description = "Sunrise over the Andes";
    std::string icon = smallBmp(8, 8);
    std::string thumbnail = smallJpeg(16, 16, 1);
    std::string puzzle = smallJpeg(24, 16, 2);
    std::vector<std::string> frames;
    std::vector<std::string> passReport;

    Pass() {
        frames.push_back(textFrame(thumbId4, description));
        passReport.push_back("Text.   ID : " + idText(thumbId4) + "  " + description);
        frames.push_back(iconFrame(iconId4, icon));
        passReport.push_back("Icon.   ID : " + idText(iconId4) +
                             "  Size = " + std::to_string(icon.size()) + " bytes");
        addImage("Thumbn. ID : ", ImageKind::Thumbnail, thumbId4, thumbnail);
        addImage("Puzzle. ID : ", ImageKind::Puzzle, puzzleId4, puzzle);
    }

    void addImage(const std::string& prefix, ImageKind kind, std::string_view id4,
                  const std::string& image) {
        const int size = static_cast<int>(image.size());
        const int count = size / 200 + 1;
        int number = count;
        for (auto& frame : imageFrames(kind, id4, image)) {
            frames.push_back(frame);
            passReport.push_back(prefix + idText(id4) + "  Size = " + std::to_string(size) +
                                 " bytes in " + std::to_string(count) +
                                 " frames. Rem.= " + std::to_string(size % 200) +
                                 "  Frame # = " + std::to_string(number--));
        }
    }

    long puzzleFrameCount() const { return static_cast<long>(puzzle.size()) / 200 + 1; }
};

// What every decoded pass leaves behind, whichever capture it came from.
void expectDecoded(const Pass& pass, const WorkFolder& work, const FakePanes& panes) {
    const std::string iconName = "icon" + idText(pass.iconId4) + " .bmp";
    const std::string thumbName = "thumb " + idText(pass.thumbId4) + ".jpg";
    EXPECT_EQ(readFile(work / iconName), pass.icon);
    EXPECT_EQ(panes.lists[0], std::vector<std::string>{iconName});
    ASSERT_TRUE(panes.pictures.count(PicturePane::Image1));
    EXPECT_EQ(panes.pictures.at(PicturePane::Image1).filename(), iconName);

    EXPECT_EQ(readFile(work / "ThumbList.txt"),
              " " + idText(pass.thumbId4) + " = " + pass.description + "\r\n");

    EXPECT_EQ(readFile(work / thumbName), pass.thumbnail);
    EXPECT_EQ(panes.lists[1], std::vector<std::string>{thumbName});
    EXPECT_EQ(panes.selected[1], 0);
    EXPECT_TRUE(panes.lists[2].empty());
    ASSERT_TRUE(panes.pictures.count(PicturePane::Image7));
    EXPECT_EQ(panes.pictures.at(PicturePane::Image7).filename(), thumbName);
    EXPECT_EQ(panes.description, pass.description);
    EXPECT_EQ(work.session.currentImageId, idText(pass.thumbId4));
    EXPECT_TRUE(listFolder(work / "Thumbs").empty());

    const long count = pass.puzzleFrameCount();
    const fs::path puzzleFolder =
        work / "Puzzles" / StoreLayout::imageFolderName(idText(pass.puzzleId4), count);
    std::vector<std::string> frameFiles;
    std::string joined;
    for (long f = count; f >= 1; --f) {
        frameFiles.push_back(StoreLayout::frameFileName(f));
        joined += readFile(puzzleFolder / StoreLayout::frameFileName(f));
    }
    std::sort(frameFiles.begin(), frameFiles.end());
    EXPECT_EQ(listFolder(puzzleFolder), frameFiles);
    EXPECT_EQ(joined, pass.puzzle);
    EXPECT_EQ(fs::current_path(), work.path());
}

} // namespace

TEST(ImportEndToEnd, KissCaptureIsConvertedAndDecoded) {
    WorkFolder work;
    Pass pass;
    ASSERT_LE(pass.icon.size(), 100u);
    // The thumbnail's first slice holds the JPEG markers FF C0 and FF DB: escaped on air.
    ASSERT_NE(kissEscaped(pass.frames[2]), pass.frames[2]);
    const std::vector<std::string> firstHalf(pass.frames.begin(), pass.frames.begin() + 3);
    std::string capture = "\x7F\x01" + kissStream(firstHalf) + "\xC0";
    for (std::size_t i = 3; i < pass.frames.size(); ++i)
        capture += kissFrame(pass.frames[i]);
    capture += "\xC0\x00\x00\x00\x86\x82"; // cut off in the middle of a frame
    writeFile(work / "pass1.kss", capture);

    FakePanes panes;
    openKissFile(work.session, panes, work / "pass1.kss");

    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile(pass.frames));
    std::vector<std::string> report;
    for (const auto& frame : pass.frames)
        report.push_back(hexTokens(kissEscaped(frame)));
    report.insert(
        report.end(),
        {" ", " ---  Valid type 2, 3, 4 and 5 frames contained in the above KISS data:", " "});
    report.insert(report.end(), pass.passReport.begin(), pass.passReport.end());
    EXPECT_EQ(panes.report, report);
    EXPECT_EQ(panes.fileField, (work / "pass1.kss").string());
    expectDecoded(pass, work, panes);
}

TEST(ImportEndToEnd, TextCaptureIsConvertedAndDecoded) {
    WorkFolder work;
    Pass pass;
    std::string capture = "00 00 00 stray line of a cut recording\r\n";
    for (std::size_t i = 0; i < pass.frames.size(); ++i) {
        std::string line = hexTokens(std::string_view(pass.frames[i]).substr(1));
        line.pop_back();
        for (char& c : line)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        capture += "1:Fm ON0ZEL To BEACON <UI pid=F0 Len=" + std::to_string(pass.frames[i].size()) +
                   ">\r\n";
        if (i % 3 == 1)
            capture += "\r\n";
        capture += line + "\r\n";
    }
    fs::create_directory(work / "captures.d");
    writeFile(work / "captures.d/pass1.txt", capture);

    FakePanes panes;
    openTextFile(work.session, panes, work / "captures.d/pass1.txt");

    EXPECT_EQ(readFile(work / "pass1.HEX"), hexFile(pass.frames));
    EXPECT_EQ(panes.report, pass.passReport);
    EXPECT_EQ(panes.fileField, " HEX file saved:    " + (work / "pass1.HEX").string());
    expectDecoded(pass, work, panes);
}
