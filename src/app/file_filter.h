#pragma once

#include <QString>

namespace zelto {

// The name filter of an open dialog: the description the operator sees, and the pattern in
// both letter cases, since the extensions of captures come in either case here.
// ("HEX files(*.hex)", "*.hex") gives "HEX files(*.hex) (*.hex *.HEX)".
QString dialogFilter(const QString& description, const QString& pattern);

} // namespace zelto
