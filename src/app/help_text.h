#pragma once

#include <QStringList>

namespace zelto {

// The lines of the Help window, in order, empty lines included: English, then Portuguese.
QStringList helpTextLines();

} // namespace zelto
