// Pane operations shared by every front: emptying the picture panes, the icon strip's slots.
#include "core/panes.h"

#include <array>

namespace zelto {

namespace {
constexpr std::array<PicturePane, kIconStripSlots> kStrip{
    PicturePane::Image1, PicturePane::Image2, PicturePane::Image3, PicturePane::Image4,
    PicturePane::Image5, PicturePane::Image6, PicturePane::Image9, PicturePane::Image10};
}

void apaga(Panes& panes) {
    for (auto pane : kStrip)
        panes.clearPicture(pane);
    panes.clearPicture(PicturePane::Image7);
    panes.clearPicture(PicturePane::Image8);
}

bool iconStripSlot(int iconCount, PicturePane& slot) {
    if (iconCount < 1 || iconCount > static_cast<int>(kStrip.size()))
        return false;
    slot = kStrip[iconCount - 1];
    return true;
}

} // namespace zelto
