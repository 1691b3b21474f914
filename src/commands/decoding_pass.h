#pragma once

#include "core/file_io.h"
#include "core/panes.h"
#include "core/session.h"

namespace zelto {

// The decoding pass over an open HEX frame file, then thumbnail assembly. The caller has
// reset the hidden lists, emptied the lists and Label4, cleared the picture panes and put
// the window in the normal layout. The input is closed when the pass ends.
void calcula(Session& session, Panes& panes, InputFile& input);

} // namespace zelto
