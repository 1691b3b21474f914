// Puzzles > Decode: the progress of every puzzle in the store, and the complete ones joined.
#include "commands/puzzles_decode.h"

#include "core/file_io.h"
#include "core/text.h"
#include "store/description_log.h"
#include "store/frame_store.h"
#include "store/puzzle_assembly.h"
#include "store/store_layout.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNotYetReceivedBlank = "Image description not yet received... ";
constexpr std::string_view kLineStart = "Puzzle ";
constexpr std::string_view kReceived = " : received ";
constexpr std::string_view kFromTotal = " frames from a total of ";
constexpr std::string_view kDecodedMark = "  >  Puzzle decoded!";

// Decimal digits and nothing else, as the report writes a count.
std::optional<long> countIn(std::string_view digits, std::size_t mostDigits) {
    if (digits.empty() || digits.size() > mostDigits ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stol(std::string(digits));
}

// The image folders in Puzzles, in the order the file system lists them. Hidden entries
// (a leading dot here) and plain files are no puzzles; an unreadable folder holds none.
std::vector<std::string> puzzleFolders(const fs::path& puzzles) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(puzzles, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || isPartialName(name))
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            names.push_back(std::move(name));
    }
    return names;
}

} // namespace

void decodePuzzles(Session& session, Panes& panes) {
    // However the command ends, the puzzles it joined are on the disk.
    FinishOnExit writes(session.writes);
    panes.normalLayout();
    panes.clearPicture(PicturePane::Image7);
    panes.setDescription(kNotYetReceivedBlank);
    panes.listClear(ListPane::ListBox2);

    const fs::path puzzles = StoreLayout(session.workFolder).storeFolder(ImageKind::Puzzle);
    session.memo2 = puzzleFolders(puzzles);

    panes.reportClear();
    panes.reportAppend(" ");
    if (session.memo2.empty())
        panes.reportAppend(" No puzzles received...");

    PuzzleDescriber describer(session.workFolder / kLogName);
    bool listed = false;
    const long count = static_cast<long>(session.memo2.size());
    for (long i = 0; i < count; ++i) {
        panes.progress("Assembling puzzles", i, count);
        const std::string& folder = session.memo2[static_cast<std::size_t>(i)];
        const long received = frameFileCount(session, puzzles / folder);
        const long total = StoreLayout::frameCountOfFolder(folder);
        const std::string id(StoreLayout::imageIdOfFolder(folder));
        panes.reportAppend(std::string(kLineStart) + id + std::string(kReceived) +
                           std::to_string(received) + std::string(kFromTotal) +
                           std::to_string(total));
        // No frame makes a frame count below 1: such a folder was made by hand, and joining
        // it would replace a puzzle file with an empty one.
        if (received == total && total >= 1) {
            panes.reportAppendToLast(kDecodedMark);
            listed = true;
            joinPuzzle(session, panes, folder);
        }
        describer.describe(session.lastPuzzleId, panes);
        if (listed)
            panes.listSelectLast(ListPane::ListBox2);
    }
    panes.progress("Assembling puzzles", count, count);
    writes.finish();
}

std::optional<std::string> incompletePuzzleFolder(std::string_view line) {
    if (!line.starts_with(kLineStart) || line.ends_with(kDecodedMark))
        return std::nullopt;
    const std::string_view id =
        line.substr(kLineStart.size()).substr(0, StoreLayout::kImageIdLength);
    std::string_view rest = line.substr(std::min(line.size(), kLineStart.size() + id.size()));
    if (id.size() != StoreLayout::kImageIdLength || !rest.starts_with(kReceived))
        return std::nullopt;
    rest.remove_prefix(kReceived.size());
    const std::size_t between = rest.find(kFromTotal);
    if (between == std::string_view::npos || !countIn(rest.substr(0, between), 9))
        return std::nullopt;
    // A frame count has three digits at most, as its image folder name holds it.
    const std::optional<long> total = countIn(rest.substr(between + kFromTotal.size()), 3);
    if (!total)
        return std::nullopt;
    return StoreLayout::imageFolderName(id, *total);
}

} // namespace zelto
