#pragma once

#include "core/panes.h"
#include "core/session.h"

namespace zelto {

// Puzzles > Decode: reports every puzzle of the frame store and assembles the complete ones.
void decodePuzzles(Session& session, Panes& panes);

} // namespace zelto
