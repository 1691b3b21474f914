#include "batch/batch_runner.h"
#include "batch/beacon_captures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <regex>

using namespace zelto::test;

namespace {

const std::string kThumbId4 = bytesOf({0x0A, 0x1B, 0x2C, 0x3D});
const std::string kIconId4 = bytesOf({0x01, 0x02, 0x03, 0x04});
const std::string kPuzzleId4 = bytesOf({0xC0, 0xDB, 0x00, 0x7F});

std::string thumbName(std::string_view id4) {
    return "thumb " + idText(id4) + ".jpg";
}

std::string missingLine(int missing, int total, std::string_view id4) {
    return " Missing " + std::to_string(missing) + " frames from " + std::to_string(total) +
           " in : thumb " + idText(id4);
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(BatchDecode, ThumbnailSplitOverTwoRunsIsAssembledByteForByte) {
    BatchFolder folder;
    const std::string jpeg = smallJpeg(40, 24, 7);
    const auto frames = imageFrames(ImageKind::Thumbnail, kThumbId4, jpeg);
    const int total = static_cast<int>(frames.size());
    ASSERT_GE(total, 3);
    const auto reports = imageReportLines(ImageKind::Thumbnail, kThumbId4, jpeg);

    // All frames but the last (frame number 1) in the first file, that one in the second.
    writeFile(folder.captures() / "pass1.hex",
              hexFile(std::vector<std::string>(frames.begin(), frames.end() - 1)));
    writeFile(folder.captures() / "pass2.hex", hexFile({frames.back()}));

    auto result = folder.run({(folder.captures() / "pass1.hex").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, lines(std::vector<std::string>(reports.begin(), reports.end() - 1) +
                                std::vector<std::string>{missingLine(1, total, kThumbId4)}));
    // The working folder was prepared, and the frames wait in the store.
    EXPECT_EQ(readFile(folder.work() / "ThumbList.txt"), "");
    EXPECT_TRUE(fs::is_directory(folder.work() / "Puzzles"));
    const fs::path imageFolder =
        folder.work() / "Thumbs" / (idText(kThumbId4) + " . " + std::to_string(total));
    EXPECT_EQ(listFolder(imageFolder).size(), static_cast<std::size_t>(total - 1));
    EXPECT_FALSE(fs::exists(folder.work() / thumbName(kThumbId4)));

    result = folder.run({(folder.captures() / "pass2.hex").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, lines({reports.back(), "Image: " + thumbName(kThumbId4)}));
    EXPECT_EQ(readFile(folder.work() / thumbName(kThumbId4)), jpeg);
    EXPECT_TRUE(listFolder(folder.work() / "Thumbs").empty());
}

TEST(BatchDecode, KissCaptureIsListedConvertedAndDecoded) {
    BatchFolder folder;
    const std::string jpeg = smallJpeg(24, 16, 3);
    const std::string bitmap = smallBmp(8, 8);
    // Raw bytes in the description, delimiter and escape bytes among them.
    const std::string description = "Earth at dawn \xC0\xDB caf\xE9";
    std::vector<std::string> frames{textFrame(kThumbId4, description), iconFrame(kIconId4, bitmap)};
    frames = frames + imageFrames(ImageKind::Thumbnail, kThumbId4, jpeg);
    std::vector<std::string> kept;
    for (const auto& frame : frames) {
        const std::string escaped = kissEscaped(frame);
        ASSERT_GE(escaped.size(), 67u);
        ASSERT_LE(escaped.size(), 333u);
        kept.push_back(hexTokens(escaped));
    }
    ASSERT_NE(kept[0].find("DB DC DB DD "), std::string::npos);
    writeFile(folder.captures() / "Pass1.KSS", kissCapture(frames));

    const auto result = folder.run({(folder.captures() / "Pass1.KSS").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string iconId = idText(kIconId4) + " ";
    EXPECT_EQ(
        result.out,
        lines(
            kept +
            std::vector<std::string>{
                " ", " ---  Valid type 2, 3, 4 and 5 frames contained in the above KISS data:", " ",
                "Text.   ID : " + idText(kThumbId4) + "  " + description,
                "Icon.   ID : " + iconId + " Size = " + std::to_string(bitmap.size()) + " bytes"} +
            imageReportLines(ImageKind::Thumbnail, kThumbId4, jpeg) +
            std::vector<std::string>{"Image: " + thumbName(kThumbId4)}));
    EXPECT_EQ(readFile(folder.work() / "Pass1.HEX"), hexFile(frames));
    EXPECT_EQ(readFile(folder.work() / "ThumbList.txt"),
              " " + idText(kThumbId4) + " = " + description + "\r\n");
    EXPECT_EQ(readFile(folder.work() / ("icon" + iconId + ".bmp")), bitmap);
    EXPECT_EQ(readFile(folder.work() / thumbName(kThumbId4)), jpeg);
}

TEST(BatchDecode, TextCaptureIsConvertedAndDecoded) {
    BatchFolder folder;
    const std::string jpeg = smallJpeg(24, 24, 5);
    const std::string puzzle = smallJpeg(64, 48, 9);
    auto puzzleFrames = imageFrames(ImageKind::Puzzle, kPuzzleId4, puzzle);
    ASSERT_GE(puzzleFrames.size(), 2u);
    puzzleFrames.pop_back();
    const auto frames = std::vector<std::string>{textFrame(kThumbId4, "Coast")} +
                        imageFrames(ImageKind::Thumbnail, kThumbId4, jpeg) + puzzleFrames;
    writeFile(folder.captures() / "monitor.TxT", textCapture(frames));

    const auto result = folder.run({(folder.captures() / "monitor.TxT").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    auto puzzleReports = imageReportLines(ImageKind::Puzzle, kPuzzleId4, puzzle);
    puzzleReports.pop_back();
    // The data lines listed during the conversion are gone: only the pass reports.
    EXPECT_EQ(result.out,
              lines(std::vector<std::string>{"Text.   ID : " + idText(kThumbId4) + "  Coast"} +
                    imageReportLines(ImageKind::Thumbnail, kThumbId4, jpeg) + puzzleReports +
                    std::vector<std::string>{"Image: " + thumbName(kThumbId4)}));
    EXPECT_EQ(readFile(folder.work() / "monitor.HEX"), hexFile(frames));
    EXPECT_EQ(readFile(folder.work() / thumbName(kThumbId4)), jpeg);
    EXPECT_EQ(readFile(folder.work() / "ThumbList.txt"), " " + idText(kThumbId4) + " = Coast\r\n");
}

TEST(BatchDecode, PuzzleIsAssembledOnlyWithThePuzzlesOption) {
    BatchFolder folder;
    const std::string puzzle = smallJpeg(48, 32, 11);
    writeFile(folder.captures() / "puzzle.hex",
              hexFile(imageFrames(ImageKind::Puzzle, kPuzzleId4, puzzle)));
    const std::string puzzleName = "puzzl " + idText(kPuzzleId4) + ".jpg";
    const int total = static_cast<int>(puzzle.size()) / 200 + 1;

    auto result = folder.run({(folder.captures() / "puzzle.hex").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, lines(imageReportLines(ImageKind::Puzzle, kPuzzleId4, puzzle)));
    EXPECT_FALSE(fs::exists(folder.work() / puzzleName));

    result = folder.run({"--puzzles"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, lines({" ",
                                 "Puzzle " + idText(kPuzzleId4) + " : received " +
                                     std::to_string(total) + " frames from a total of " +
                                     std::to_string(total) + "  >  Puzzle decoded!",
                                 "Image: " + puzzleName}));
    EXPECT_EQ(readFile(folder.work() / puzzleName), puzzle);
    // Puzzles stay in the store.
    EXPECT_EQ(listFolder(folder.work() / "Puzzles").size(), 1u);
}

TEST(BatchDecode, PuzzlesRunAfterAllFiles) {
    BatchFolder folder;
    const std::string jpeg = smallJpeg(16, 16, 2);
    writeFile(folder.work() / "thumb.hex",
              hexFile(imageFrames(ImageKind::Thumbnail, kThumbId4, jpeg)));
    const auto result = folder.run({"--puzzles", "thumb.hex"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, lines(imageReportLines(ImageKind::Thumbnail, kThumbId4, jpeg) +
                                std::vector<std::string>{"Image: " + thumbName(kThumbId4), " ",
                                                         " No puzzles received..."}));
}

TEST(BatchDecode, FailingFilesAreReportedAndTheNextFilesStillDecoded) {
    BatchFolder folder;
    const std::string bitmap = smallBmp(8, 8);
    const std::string first = smallJpeg(16, 16, 1);
    const std::string last = smallJpeg(16, 16, 2);
    const std::string lastId4 = bytesOf({0x11, 0x22, 0x33, 0x44});
    writeFile(folder.work() / "one.hex",
              hexFile(imageFrames(ImageKind::Thumbnail, kThumbId4, first)));
    // A text frame cut before its length field stops the pass after the icon.
    writeFile(folder.work() / "bad.hex",
              hexFile({iconFrame(kIconId4, bitmap)}) + "00 00 00 86 82 05 \r\n" +
                  hexFile(imageFrames(ImageKind::Thumbnail, lastId4, last)));
    writeFile(folder.work() / "two.hex", hexFile(imageFrames(ImageKind::Thumbnail, lastId4, last)));

    const auto result = folder.run({"one.hex", "missing.kss", "bad.hex", "gone.txt", "two.hex"});
    EXPECT_EQ(result.status, 1);
    // Nothing for the files that could not be opened; what the panes hold for the one that
    // stopped on the way.
    EXPECT_EQ(result.out,
              lines(imageReportLines(ImageKind::Thumbnail, kThumbId4, first) +
                    std::vector<std::string>{"Image: " + thumbName(kThumbId4),
                                             "Icon.   ID : " + idText(kIconId4) + "  Size = " +
                                                 std::to_string(bitmap.size()) + " bytes"} +
                    imageReportLines(ImageKind::Thumbnail, lastId4, last) +
                    std::vector<std::string>{"Image: " + thumbName(lastId4)}));
    EXPECT_EQ(result.err, "Zeltodecoder-batch: missing.kss: File not found\n"
                          "Zeltodecoder-batch: bad.hex: '$' is not a valid integer value\n"
                          "Zeltodecoder-batch: gone.txt: File not found\n");
    EXPECT_EQ(readFile(folder.work() / thumbName(lastId4)), last);
    // A missing capture leaves no HEX frame file behind.
    EXPECT_FALSE(fs::exists(folder.work() / "missing.HEX"));
    EXPECT_FALSE(fs::exists(folder.work() / "gone.HEX"));
}

TEST(BatchDecode, PicturesAreCheckedAsTheWindowShowsThem) {
    BatchFolder folder;
    const std::string junk(300, 'x');
    writeFile(folder.work() / "junk.hex",
              hexFile(imageFrames(ImageKind::Thumbnail, kThumbId4, junk)));
    writeFile(folder.work() / "icon.hex", hexFile({iconFrame(kIconId4, "not a bitmap")}));

    const auto result = folder.run({"junk.hex", "icon.hex"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, lines(imageReportLines(ImageKind::Thumbnail, kThumbId4, junk) +
                                std::vector<std::string>{"Image: " + thumbName(kThumbId4),
                                                         "Icon.   ID : " + idText(kIconId4) +
                                                             "  Size = 12 bytes"}));
    EXPECT_TRUE(std::regex_match(result.err,
                                 std::regex("Zeltodecoder-batch: junk\\.hex: JPEG error #[0-9]+\n"
                                            "Zeltodecoder-batch: icon\\.hex: Bitmap image is "
                                            "not valid\n")))
        << result.err;
    // The thumbnail file stays written, and its folder in the store.
    EXPECT_EQ(readFile(folder.work() / thumbName(kThumbId4)), junk);
    EXPECT_EQ(listFolder(folder.work() / "Thumbs").size(), 1u);
}

TEST(BatchDecode, IncompleteThumbnailsListEveryFolderOfTheirId) {
    BatchFolder folder;
    // One ID with two image sizes: two folders, two messages for each list entry.
    const std::string small(300, 'a');
    const std::string large(500, 'b');
    auto smallFrames = imageFrames(ImageKind::Thumbnail, kThumbId4, small);
    auto largeFrames = imageFrames(ImageKind::Thumbnail, kThumbId4, large);
    writeFile(folder.work() / "two.hex", hexFile({smallFrames[0], largeFrames[0]}));

    const auto result = folder.run({"two.hex"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string twice = missingLine(1, 2, kThumbId4) + "\n" + missingLine(2, 3, kThumbId4);
    EXPECT_EQ(result.out,
              lines({imageReportLine(ImageKind::Thumbnail, kThumbId4, 300, 2),
                     imageReportLine(ImageKind::Thumbnail, kThumbId4, 500, 3), twice, twice}));
}
