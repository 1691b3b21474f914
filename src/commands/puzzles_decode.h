#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// Puzzles > Decode: reports every puzzle of the frame store and assembles the complete ones.
void decodePuzzles(Session& session, Panes& panes);

// The image folder that a report line of Puzzles > Decode names when it reports a puzzle
// still incomplete ("Puzzle <ID> : received n frames from a total of t", no decoded mark);
// nothing for any other line.
std::optional<std::string> incompletePuzzleFolder(std::string_view reportLine);

} // namespace zelto
