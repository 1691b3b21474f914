#pragma once

#include <QStringList>

namespace zelto {

// The 62 lines of the Help window, in order, empty lines included.
QStringList helpTextLines();

} // namespace zelto
