#include "core/file_io.h"
#include "core/run_error.h"
#include "support/test_support.h"
#include "commands/browsing.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zelto;
using namespace zelto::test;

namespace {

const std::string kIdA = "0A 1B 2C 3D";
const std::string kIdB = "4E 5F 60 71";
const std::string kNotYet = "Image description not yet received...";

const PicturePane kStrip[] = {PicturePane::Image1, PicturePane::Image2, PicturePane::Image3,
                              PicturePane::Image4, PicturePane::Image5, PicturePane::Image6,
                              PicturePane::Image9, PicturePane::Image10};

void fillStrip(FakePanes& panes) {
    for (auto pane : kStrip)
        panes.pictures[pane] = "strip.bmp";
}

int stripCount(const FakePanes& panes) {
    int n = 0;
    for (auto pane : kStrip)
        n += static_cast<int>(panes.pictures.count(pane));
    return n;
}

std::string logLine(const std::string& id, const std::string& description) {
    return " " + id + " = " + description + "\r\n";
}

template <typename F> std::string runErrorOf(F&& command) {
    try {
        command();
    } catch (const RunError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string textReportLine(const std::string& id, const std::string& description) {
    return "Text.   ID : " + id + "  " + description;
}

} // namespace

// ListBox1Click

TEST(ShowIcon, ShowsTheIconAndEmptiesTheStrip) {
    WorkFolder w;
    writeFile(w / "icon0A 1B 2C 3D .bmp", smallBmp(16, 16));
    FakePanes panes;
    fillStrip(panes);
    showIcon(w.session, panes, "icon0A 1B 2C 3D .bmp");
    EXPECT_EQ(panes.pictures[PicturePane::Image8], w / "icon0A 1B 2C 3D .bmp");
    EXPECT_EQ(stripCount(panes), 0);
}

TEST(ShowIcon, ADamagedOrMissingBitmapKeepsTheStrip) {
    WorkFolder w;
    writeFile(w / "icon broken.bmp", "BM not really a bitmap");
    FakePanes panes;
    fillStrip(panes);
    EXPECT_EQ(runErrorOf([&] { showIcon(w.session, panes, "icon broken.bmp"); }),
              "Bitmap image is not valid");
    EXPECT_EQ(runErrorOf([&] { showIcon(w.session, panes, "icon gone.bmp"); }),
              "Cannot open file icon gone.bmp");
    EXPECT_EQ(stripCount(panes), 8);
    EXPECT_EQ(panes.pictures.count(PicturePane::Image8), 0u);
}

// ListBox2Click

TEST(ShowImage, ShowsAThumbnailWithItsDescription) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 1));
    writeFile(w / "ThumbList.txt", logLine(kIdB, "other") + logLine(kIdA, "a bridge"));
    FakePanes panes;
    panes.description = "old";
    showImage(w.session, panes, "thumb " + kIdA + ".jpg");
    EXPECT_EQ(panes.pictures[PicturePane::Image7], w / ("thumb " + kIdA + ".jpg"));
    EXPECT_EQ(w.session.currentImageId, kIdA);
    EXPECT_EQ(panes.description, "a bridge");
}

TEST(ShowImage, LooksUpAPuzzleEntryTheSameWay) {
    WorkFolder w;
    writeFile(w / ("puzzl " + kIdB + ".jpg"), smallJpeg(8, 8, 2));
    writeFile(w / "ThumbList.txt", logLine(kIdB, "first") + logLine(kIdB, "later line wins"));
    FakePanes panes;
    showImage(w.session, panes, "puzzl " + kIdB + ".jpg");
    EXPECT_EQ(w.session.currentImageId, kIdB);
    EXPECT_EQ(panes.description, "later line wins");
}

TEST(ShowImage, CutsTheDescriptionAfterNinetyCharacters) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 3));
    std::string text;
    for (int i = 0; i < 120; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    writeFile(w / "ThumbList.txt", logLine(kIdA, text));
    FakePanes panes;
    showImage(w.session, panes, "thumb " + kIdA + ".jpg");
    EXPECT_EQ(panes.description, text.substr(0, 90));
}

TEST(ShowImage, SaysNotYetReceivedWithoutAMatchingLineOrWithAnEmptyLog) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 4));
    FakePanes panes;
    showImage(w.session, panes, "thumb " + kIdA + ".jpg");
    EXPECT_EQ(panes.description, kNotYet);

    // Letter case counts in the ID.
    writeFile(w / "ThumbList.txt", logLine("0a 1b 2c 3d", "lower case") + logLine(kIdB, "x"));
    panes.description = "old";
    showImage(w.session, panes, "thumb " + kIdA + ".jpg");
    EXPECT_EQ(panes.description, kNotYet);
}

TEST(ShowImage, AnEmptyDescriptionIsShownAsEmpty) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 5));
    writeFile(w / "ThumbList.txt", " " + kIdA + " =\r\n");
    FakePanes panes;
    showImage(w.session, panes, "thumb " + kIdA + ".jpg");
    EXPECT_EQ(panes.description, "");
}

TEST(ShowImage, AMissingLogStopsAfterThePictureIsShown) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 6));
    fs::remove(w / "ThumbList.txt");
    FakePanes panes;
    panes.description = "old";
    EXPECT_EQ(runErrorOf([&] { showImage(w.session, panes, "thumb " + kIdA + ".jpg"); }),
              "File not found");
    EXPECT_EQ(panes.pictures[PicturePane::Image7], w / ("thumb " + kIdA + ".jpg"));
    EXPECT_EQ(panes.description, "");
    EXPECT_EQ(w.session.currentImageId, kIdA);
}

TEST(ShowImage, APictureThatCannotBeLoadedStopsBeforeTheLookup) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", logLine(kIdA, "never shown"));
    writeFile(w / ("thumb " + kIdA + ".jpg"), "no picture at all");
    w.session.currentImageId = kIdB;
    FakePanes panes;
    panes.description = "old";
    const std::string error =
        runErrorOf([&] { showImage(w.session, panes, "thumb " + kIdA + ".jpg"); });
    EXPECT_TRUE(error.starts_with("JPEG error #")) << error;
    EXPECT_EQ(runErrorOf([&] { showImage(w.session, panes, "puzzl " + kIdA + ".jpg"); }),
              "Cannot open file puzzl " + kIdA + ".jpg");
    EXPECT_EQ(panes.description, "");
    EXPECT_EQ(w.session.currentImageId, kIdB);
}

// Label4Click

TEST(DescriptionFromReport, TakesTheLastMatchingTextLine) {
    WorkFolder w;
    w.session.currentImageId = kIdA;
    FakePanes panes;
    panes.description = "old";
    panes.report = {textReportLine(kIdA, "first"), textReportLine(kIdB, "other"),
                    "Thumb  ID : " + kIdA + " : not a text line", textReportLine(kIdA, "second")};
    descriptionFromReport(w.session, panes);
    EXPECT_EQ(panes.description, "second");
}

TEST(DescriptionFromReport, AMatchOnTheFirstLineCountsAndTheTextIsCut) {
    WorkFolder w;
    w.session.currentImageId = kIdA;
    FakePanes panes;
    panes.report = {textReportLine(kIdA, std::string(100, 'q')), "Icon line"};
    descriptionFromReport(w.session, panes);
    EXPECT_EQ(panes.description, std::string(90, 'q'));
}

TEST(DescriptionFromReport, LeavesTheLabelWithoutAMatch) {
    WorkFolder w;
    w.session.currentImageId = kIdA;
    FakePanes panes;
    panes.description = "kept";
    descriptionFromReport(w.session, panes);
    EXPECT_EQ(panes.description, "kept");
    panes.report = {textReportLine(kIdB, "other"), textReportLine("0a 1b 2c 3d", "case"), "Tex",
                    " " + textReportLine(kIdA, "shifted")};
    descriptionFromReport(w.session, panes);
    EXPECT_EQ(panes.description, "kept");
}

TEST(DescriptionFromReport, AnEmptyCurrentImageIdMatchesNoLine) {
    WorkFolder w;
    FakePanes panes;
    panes.description = "kept";
    panes.report = {"Text.   ID : ", "Text.   ID :", "Tex", textReportLine(kIdA, "x")};
    descriptionFromReport(w.session, panes);
    EXPECT_EQ(panes.description, "kept");
}

// Show > All received thumbnails

TEST(ShowAllThumbnails, AnEmptyLogSaysNoThumbnailsFound) {
    WorkFolder w;
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 7));
    FakePanes panes;
    panes.pictures[PicturePane::Image7] = "earlier.jpg";
    panes.lists[1] = {"puzzl x.jpg"};
    panes.description = "kept";
    showAllThumbnails(w.session, panes);
    EXPECT_EQ(panes.messages, std::vector<std::string>{" No thumbnails found in ThumbList.txt !"});
    EXPECT_EQ(panes.pictures.count(PicturePane::Image7), 0u);
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_EQ(panes.normalLayouts, 1);
    EXPECT_EQ(panes.description, "kept");
}

TEST(ShowAllThumbnails, LogLinesWithoutFilesSayNoSavedThumbnails) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", logLine(kIdA, "a") + "short\r\n" + logLine(kIdB, "b"));
    fs::create_directories(w / ("thumb " + kIdB + ".jpg"));
    FakePanes panes;
    panes.description = "kept";
    showAllThumbnails(w.session, panes);
    EXPECT_EQ(panes.messages, std::vector<std::string>{" No saved thumbnails !"});
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_EQ(panes.selected[1], -1);
    EXPECT_EQ(panes.description, "kept");
}

TEST(ShowAllThumbnails, AOneLineLogWithItsThumbnailShowsIt) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", " " + kIdA + " = just one line");
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 8));
    w.session.currentImageId = kIdB;
    FakePanes panes;
    showAllThumbnails(w.session, panes);
    EXPECT_TRUE(panes.messages.empty());
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{"thumb " + kIdA + ".jpg"});
    EXPECT_EQ(panes.selected[1], 0);
    EXPECT_EQ(panes.pictures[PicturePane::Image7], w / ("thumb " + kIdA + ".jpg"));
    EXPECT_EQ(panes.description, "just one line");
    EXPECT_EQ(w.session.currentImageId, kIdB);
}

TEST(ShowAllThumbnails, ListsTheExistingThumbnailsInLogOrderTheSameEachTime) {
    WorkFolder w;
    const std::string idC = "99 88 77 66";
    writeFile(w / "ThumbList.txt", logLine(idC, "c picture") + logLine(kIdB, "no file") +
                                       logLine(kIdA, std::string(95, 'a')));
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 9));
    writeFile(w / ("thumb " + idC + ".jpg"), smallJpeg(8, 8, 10));
    writeFile(w / "icon01 02 03 04 .bmp", smallBmp(8, 8));
    const std::vector<std::string> expected{"thumb " + idC + ".jpg", "thumb " + kIdA + ".jpg"};
    FakePanes panes;
    panes.lists[0] = {"icon01 02 03 04 .bmp"};
    panes.pictures[PicturePane::Image8] = "icon.bmp";
    for (int run = 0; run < 2; ++run) {
        showAllThumbnails(w.session, panes);
        EXPECT_EQ(panes.list(ListPane::ListBox2), expected);
        EXPECT_EQ(panes.selected[1], 1);
        EXPECT_EQ(panes.pictures[PicturePane::Image7], w / expected.back());
        EXPECT_EQ(panes.description, std::string(90, 'a'));
    }
    EXPECT_TRUE(panes.messages.empty());
    EXPECT_EQ(panes.list(ListPane::ListBox1), std::vector<std::string>{"icon01 02 03 04 .bmp"});
    EXPECT_EQ(panes.pictures.count(PicturePane::Image8), 1u);
}

TEST(ShowAllThumbnails, AMissingLogStopsWithTheViewerAndListEmpty) {
    WorkFolder w;
    fs::remove(w / "ThumbList.txt");
    FakePanes panes;
    panes.pictures[PicturePane::Image7] = "earlier.jpg";
    panes.lists[1] = {"puzzl x.jpg"};
    EXPECT_EQ(runErrorOf([&] { showAllThumbnails(w.session, panes); }), "File not found");
    EXPECT_EQ(panes.pictures.count(PicturePane::Image7), 0u);
    EXPECT_TRUE(panes.list(ListPane::ListBox2).empty());
    EXPECT_TRUE(panes.messages.empty());
}

TEST(ShowAllThumbnails, ABrokenThumbnailStopsAndKeepsTheEntriesListedSoFar) {
    WorkFolder w;
    writeFile(w / "ThumbList.txt", logLine(kIdA, "good") + logLine(kIdB, "broken"));
    writeFile(w / ("thumb " + kIdA + ".jpg"), smallJpeg(8, 8, 11));
    writeFile(w / ("thumb " + kIdB + ".jpg"), "not a JPEG");
    FakePanes panes;
    const std::string error = runErrorOf([&] { showAllThumbnails(w.session, panes); });
    EXPECT_TRUE(error.starts_with("JPEG error #")) << error;
    EXPECT_EQ(panes.list(ListPane::ListBox2), std::vector<std::string>{"thumb " + kIdA + ".jpg"});
    EXPECT_EQ(panes.description, "good");
}

// Show > All received icons

TEST(ShowAllIcons, WithoutIconsSaysNoSavedIcons) {
    WorkFolder w;
    writeFile(w / "other.bmp", smallBmp(8, 8));
    writeFile(w / "icon.txt", "x");
    fs::create_directories(w / "icon folder.bmp");
    FakePanes panes;
    fillStrip(panes);
    panes.pictures[PicturePane::Image8] = "icon.bmp";
    panes.pictures[PicturePane::Image7] = "thumb.jpg";
    panes.lists[0] = {"icon old.bmp"};
    showAllIcons(w.session, panes);
    EXPECT_EQ(panes.messages, std::vector<std::string>{" No saved icons !"});
    EXPECT_TRUE(panes.list(ListPane::ListBox1).empty());
    EXPECT_EQ(stripCount(panes), 0);
    EXPECT_EQ(panes.pictures.count(PicturePane::Image8), 0u);
    EXPECT_EQ(panes.pictures[PicturePane::Image7], "thumb.jpg");
    EXPECT_EQ(panes.description, " ");
    EXPECT_EQ(panes.normalLayouts, 1);
}

TEST(ShowAllIcons, ListsMatchingFilesInListingOrderTheSameEachTime) {
    WorkFolder w;
    const std::vector<std::string> icons{"icon0A 1B 2C 3D .bmp", "ICON01 02 03 04 .BMP", "Icon.Bmp",
                                         "iconZZ.bmp"};
    for (const auto& name : icons)
        writeFile(w / name, smallBmp(8, 8));
    writeFile(w / "icon.bmp.txt", "x");
    writeFile(w / "my icon.bmp", smallBmp(8, 8));
    writeFile(w / (std::string(kPartialPrefix) + "icon1.bmp"), "x");
    fs::create_directories(w / "icon folder.bmp");
    FakePanes panes;
    showAllIcons(w.session, panes);
    const std::vector<std::string> first = panes.list(ListPane::ListBox1);
    std::vector<std::string> sorted = first, expected = icons;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(panes.selected[0], 3);
    EXPECT_EQ(panes.pictures[PicturePane::Image8], w / first.back());
    EXPECT_TRUE(panes.messages.empty());

    showAllIcons(w.session, panes);
    EXPECT_EQ(panes.list(ListPane::ListBox1), first);
}

TEST(ShowAllIcons, ADamagedLastIconStopsAfterListing) {
    WorkFolder w;
    writeFile(w / "icon broken.bmp", "BM broken");
    FakePanes panes;
    EXPECT_EQ(runErrorOf([&] { showAllIcons(w.session, panes); }), "Bitmap image is not valid");
    EXPECT_EQ(panes.list(ListPane::ListBox1), std::vector<std::string>{"icon broken.bmp"});
    EXPECT_EQ(panes.selected[0], 0);
}
