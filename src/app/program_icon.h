#pragma once

#include <QIcon>

namespace zelto {

// The name of the program's desktop entry and of its icon in the icon theme.
inline constexpr const char* kDesktopFileName = "example.qg9mce.Zeltodecoder";

// The program's icon: the SVG built into the program where Qt can draw SVG, else the icon
// that the package installs in the desktop's icon theme.
QIcon programIcon();

} // namespace zelto
