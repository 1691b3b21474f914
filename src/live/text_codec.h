#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zelto {

// Pane text is kept as the bytes of the beacon and the files, in the Windows-1252 code page.
// Codes that page leaves undefined map to the same code point, so every byte string survives
// the round trip unchanged.
QString fromWindows1252(std::string_view bytes);

// Characters outside the code page become '?'.
std::string toWindows1252(const QString& text);

} // namespace zelto
