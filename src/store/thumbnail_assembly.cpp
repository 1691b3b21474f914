#include "store/thumbnail_assembly.h"

#include "core/text.h"
#include "decode/description_log.h"
#include "store/frame_store.h"

#include <optional>

namespace zelto {

namespace fs = std::filesystem;

namespace {

void removeImageFolder(Session& session, const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (!it->is_directory(ignored)) {
            fs::remove(it->path(), ignored);
            session.writtenFrames.erase(it->path().native());
        }
    }
    fs::remove(folder, ec);
}

} // namespace

void assembleThumbnails(Session& session, Panes& panes) {
    const fs::path thumbs = session.workFolder / "Thumbs";
    const auto& folders = session.memo4.entries();
    long done = 0;
    std::optional<DescriptionIndex> descriptions; // read when the first thumbnail needs it
    for (const std::string& folder : folders) {
        panes.progress("Assembling thumbnails", ++done, static_cast<long>(folders.size()));
        const long received = frameFileCount(thumbs / folder);
        const long total = frameCountOfFolder(folder);
        const std::string imageId(chars(folder, 1, 11));
        if (received != total) {
            panes.listAppend(ListPane::ListBox3, imageId);
            continue;
        }
        const std::string name = "thumb " + imageId + ".jpg";
        panes.listAppend(ListPane::ListBox2, name);
        session.memo5.push_back(folder);
        joinFrames(session, thumbs / folder, total, session.workFolder / name);
        panes.showPicture(PicturePane::Image7, session.workFolder / name, name);
        panes.listSelectLast(ListPane::ListBox2);

        session.currentImageId = chars(name, 7, 11);
        if (!descriptions)
            descriptions.emplace(session.workFolder / kLogName);
        const LogLookup found = descriptions->find(session.currentImageId);
        // A log without any line leaves the label as it was.
        if (found.hasLines)
            panes.setDescription(found.description ? *found.description : kNotYetReceived);
    }
    for (const std::string& folder : session.memo5)
        removeImageFolder(session, thumbs / folder);
}

} // namespace zelto
