// Joining complete thumbnails, at the end of a pass or the moment their last frame comes.
#include "store/thumbnail_assembly.h"

#include "core/file_io.h"
#include "core/text.h"
#include "store/description_log.h"
#include "store/frame_store.h"
#include "store/store_layout.h"

namespace zelto {

namespace fs = std::filesystem;

void removeThumbnailFolder(Session& session, const std::string& folderName) {
    // The joined thumbnail is on the disk under its name before its frames go: a power cut
    // cannot take both.
    session.writes.publishDurably();
    const fs::path thumbs = StoreLayout(session.workFolder).storeFolder(ImageKind::Thumbnail);
    const fs::path folder = thumbs / folderName;
    // Out of sight in one step, so that a kill leaves the folder whole or hidden, never half
    // emptied; start-up finishes a hidden one. A folder that cannot be moved (it is gone, say)
    // is emptied where it stands.
    fs::path hidden = partialPath(folder.native());
    std::error_code ec;
    fs::rename(folder, hidden, ec);
    if (ec)
        hidden = folder;
    removeImageFolder(hidden, folderName, [&](const std::string& fileName) {
        session.writtenFrames.erase((folder / fileName).native());
    });
    session.writes.noteChange(thumbs);
}

void joinThumbnail(Session& session, Panes& panes, const std::string& folder,
                   std::optional<DescriptionIndex>& descriptions) {
    const std::string name =
        StoreLayout::imageFileName(ImageKind::Thumbnail, StoreLayout::imageIdOfFolder(folder));
    panes.listAppend(ListPane::ListBox2, name);
    joinFrames(session, StoreLayout(session.workFolder).imageFolder(ImageKind::Thumbnail, folder),
               StoreLayout::frameCountOfFolder(folder), session.workFolder / name);
    // Shown from where its bytes are: it takes its name with the command's other files.
    panes.showPicture(PicturePane::Image7,
                      session.writes.readable((session.workFolder / name).native()), name);
    panes.listSelectLast(ListPane::ListBox2);

    session.currentImageId = StoreLayout::imageIdOfFolder(folder);
    if (!descriptions)
        descriptions.emplace(session.workFolder / kLogName);
    const LogLookup found = descriptions->find(session.currentImageId);
    // A log without any line leaves the label as it was.
    if (found.hasLines)
        panes.setDescription(found.description ? *found.description : kNotYetReceived);
}

void assembleThumbnails(Session& session, Panes& panes) {
    const fs::path thumbs = StoreLayout(session.workFolder).storeFolder(ImageKind::Thumbnail);
    const auto& folders = session.memo4.entries();
    long done = 0;
    std::optional<DescriptionIndex> descriptions; // read when the first thumbnail needs it
    // The frames of the pass take their names before the folders are counted.
    session.writes.publish();
    for (const std::string& folder : folders) {
        panes.progress("Assembling thumbnails", ++done, static_cast<long>(folders.size()));
        if (frameFileCount(session, thumbs / folder) != StoreLayout::frameCountOfFolder(folder)) {
            panes.listAppend(ListPane::ListBox3, std::string(StoreLayout::imageIdOfFolder(folder)));
            continue;
        }
        session.memo5.push_back(folder);
        joinThumbnail(session, panes, folder, descriptions);
    }
    for (const std::string& folder : session.memo5)
        removeThumbnailFolder(session, folder);
}

} // namespace zelto
