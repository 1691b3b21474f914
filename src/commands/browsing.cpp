// Browsing what was received: images, icons and the description log (the menu commands that show
// them again).
#include "commands/browsing.h"

#include "commands/icon_files.h"
#include "core/file_io.h"
#include "core/text.h"
#include "store/description_log.h"
#include "store/store_layout.h"

#include <filesystem>
#include <string>

namespace zelto {

namespace fs = std::filesystem;

namespace {

void clearStrip(Panes& panes) {
    PicturePane slot;
    for (int n = 1; iconStripSlot(n, slot); ++n)
        panes.clearPicture(slot);
}

} // namespace

void showIcon(Session& session, Panes& panes, std::string_view entry) {
    panes.showPicture(PicturePane::Image8, session.workFolder / fs::path(entry), entry);
    clearStrip(panes);
}

void showImage(Session& session, Panes& panes, std::string_view entry) {
    panes.setDescription("");
    panes.showPicture(PicturePane::Image7, session.workFolder / fs::path(entry), entry);
    session.currentImageId = std::string(
        chars(entry, StoreLayout::kImageFilePrefixLength + 1, StoreLayout::kImageIdLength));
    const LogLookup found =
        lookupDescription(session.workFolder / kLogName, session.currentImageId);
    // A log line shorter than a whole ID never matches, so neither does a shorter ID.
    if (found.description && session.currentImageId.size() == 11)
        panes.setDescription(*found.description);
    else
        panes.setDescription(kNotYetReceived);
}

void descriptionFromReport(Session& session, Panes& panes) {
    // Nothing is selected or decoded yet: no report line belongs to it.
    if (session.currentImageId.empty())
        return;
    for (const std::string& line : panes.reportLines()) {
        if (chars(line, 1, 3) == "Tex" && chars(line, 14, 11) == session.currentImageId)
            panes.setDescription(chars(line, 27, 90));
    }
}

void showAllThumbnails(Session& session, Panes& panes) {
    panes.normalLayout();
    panes.clearPicture(PicturePane::Image7);
    panes.listClear(ListPane::ListBox2);

    InputFile log(session.workFolder / kLogName);
    std::string line;
    if (!log.readLine(line)) {
        panes.message(" No thumbnails found in ThumbList.txt !");
        return;
    }
    long listed = 0;
    do {
        const std::string name = StoreLayout::imageFileName(ImageKind::Thumbnail, logLineId(line));
        const fs::path file = session.workFolder / name;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            continue;
        panes.showPicture(PicturePane::Image7, file, name);
        panes.listAppend(ListPane::ListBox2, name);
        ++listed;
        panes.setDescription(logLineDescription(line));
    } while (log.readLine(line));

    if (listed == 0)
        panes.message(" No saved thumbnails !");
    else
        panes.listSelectLast(ListPane::ListBox2);
}

void showAllIcons(Session& session, Panes& panes) {
    panes.normalLayout();
    panes.setDescription(" ");
    clearStrip(panes);
    panes.clearPicture(PicturePane::Image8);
    panes.listClear(ListPane::ListBox1);

    const std::vector<std::string> icons = iconFiles(session.workFolder);
    for (const std::string& name : icons)
        panes.listAppend(ListPane::ListBox1, name);
    if (icons.empty()) {
        panes.message(" No saved icons !");
        return;
    }
    panes.listSelectLast(ListPane::ListBox1);
    panes.showPicture(PicturePane::Image8, session.workFolder / icons.back(), icons.back());
}

} // namespace zelto
