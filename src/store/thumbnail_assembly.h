#pragma once

#include "core/panes.h"
#include "core/session.h"

namespace zelto {

// The end of every decoding pass: joins each complete thumbnail met in the pass, lists the
// incomplete ones, then removes the image folders of the joined ones.
void assembleThumbnails(Session& session, Panes& panes);

} // namespace zelto
