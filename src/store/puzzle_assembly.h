#pragma once

#include "core/panes.h"
#include "core/session.h"
#include "store/description_log.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// Joins one complete puzzle folder of Puzzles into its puzzle file, which becomes the most
// recently assembled puzzle, lists it in ListBox2 and shows it in Image7.
void joinPuzzle(Session& session, Panes& panes, const std::string& folder);

// Label4 after each puzzle: the last log line of the most recently assembled puzzle wins,
// other lines leave the label alone, and only a log without any line says so. The log is
// read once, when the first puzzle needs it.
class PuzzleDescriber {
  public:
    explicit PuzzleDescriber(std::filesystem::path log) : log_(std::move(log)) {}
    void describe(const std::string& puzzleId, Panes& panes);

  private:
    std::filesystem::path log_;
    std::optional<DescriptionIndex> index_;
};

} // namespace zelto
