#pragma once

#include "core/panes.h"
#include "core/session.h"
#include "store/description_log.h"

#include <optional>
#include <string>

namespace zelto {

// The end of every decoding pass: joins each complete thumbnail met in the pass, lists the
// incomplete ones, then removes the image folders of the joined ones.
void assembleThumbnails(Session& session, Panes& panes);

// Joins one complete thumbnail folder of Thumbs into its thumbnail file, lists it in ListBox2,
// shows it in Image7 and its description in Label4 (from the log, read once into
// `descriptions` when first needed). The folder stays.
void joinThumbnail(Session& session, Panes& panes, const std::string& folder,
                   std::optional<DescriptionIndex>& descriptions);

// Deletes the frame files of a thumbnail folder of Thumbs, then the folder, all or nothing:
// the folder is first moved out of sight, and takes its name back only when it keeps
// something that is no file. The files waiting in session.writes (the joined thumbnail)
// are on the disk first. Failures are passed over.
void removeThumbnailFolder(Session& session, const std::string& folder);

} // namespace zelto
