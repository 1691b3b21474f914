#include "ui/browsing.h"

#include "core/run_error.h"

namespace zelto {

void showIcon(Session&, Panes&, std::string_view) {
    throw RunError("Not built yet");
}
void showImage(Session&, Panes&, std::string_view) {
    throw RunError("Not built yet");
}
void descriptionFromReport(Session&, Panes&) {
    throw RunError("Not built yet");
}
void showAllThumbnails(Session&, Panes&) {
    throw RunError("Not built yet");
}
void showAllIcons(Session&, Panes&) {
    throw RunError("Not built yet");
}

} // namespace zelto
