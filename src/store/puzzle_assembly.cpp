// Joining one complete puzzle into its puzzle file, and the description shown after it.
#include "store/puzzle_assembly.h"

#include "core/file_io.h"
#include "core/text.h"
#include "store/description_log.h"
#include "store/frame_store.h"

#include <filesystem>
#include <string>

namespace zelto {

namespace fs = std::filesystem;

void PuzzleDescriber::describe(const std::string& puzzleId, Panes& panes) {
    if (!index_)
        index_.emplace(log_);
    const LogLookup found = index_->find(puzzleId);
    if (!found.hasLines)
        panes.setDescription(kNotYetReceived);
    // Log lines shorter than a whole ID never match, so neither does an empty ID.
    else if (found.description && puzzleId.size() == StoreLayout::kImageIdLength)
        panes.setDescription(*found.description);
}

void joinPuzzle(Session& session, Panes& panes, const std::string& folder) {
    const std::string id(StoreLayout::imageIdOfFolder(folder));
    session.lastPuzzleId = id;
    const std::string fileName = StoreLayout::imageFileName(ImageKind::Puzzle, id);
    panes.listAppend(ListPane::ListBox2, fileName);
    const fs::path file = session.workFolder / fileName;
    joinFrames(session, StoreLayout(session.workFolder).imageFolder(ImageKind::Puzzle, folder),
               StoreLayout::frameCountOfFolder(folder), file);
    // Shown from where its bytes are: it takes its name with the command's other files.
    panes.showPicture(PicturePane::Image7, session.writes.readable(file), fileName);
}

} // namespace zelto
