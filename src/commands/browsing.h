#pragma once

#include "core/panes.h"
#include "core/session.h"

#include <string_view>

namespace zelto {

// ListBox1Click: shows the icon file of the entry in Image8 and empties the strip.
void showIcon(Session& session, Panes& panes, std::string_view entry);
// ListBox2Click: shows the image file of the entry in Image7 with its description.
void showImage(Session& session, Panes& panes, std::string_view entry);
// Label4Click: the description of the current image, read back from the report pane.
void descriptionFromReport(Session& session, Panes& panes);
// Show > All received thumbnails.
void showAllThumbnails(Session& session, Panes& panes);
// Show > All received icons.
void showAllIcons(Session& session, Panes& panes);

} // namespace zelto
