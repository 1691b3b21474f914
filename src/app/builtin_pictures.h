#pragma once

#include <QImage>

namespace zelto {

// The pictures the window shows at start: the picture card of the large viewer Image7
// (a colour JPEG) and the line drawing of the icon viewer Image8 (a two-colour bitmap).
QImage builtinCardPicture();
QImage builtinIconPicture();

} // namespace zelto
