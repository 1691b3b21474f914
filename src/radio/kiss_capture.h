#pragma once

#include <string>
#include <string_view>

namespace zelto {

// Appends a frame as a KISS capture holds it: C0, the frame's bytes (its command byte first)
// with C0 sent as DB DC and DB as DB DD, C0.
void appendKissFrame(std::string& capture, std::string_view kissFrame);

} // namespace zelto
