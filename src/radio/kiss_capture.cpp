// Demodulated frames written byte for byte as a sound modem's KISS capture holds them.
#include "radio/kiss_capture.h"

#include "import/kiss_frames.h"

namespace zelto {

void appendKissFrame(std::string& capture, std::string_view kissFrame) {
    capture.push_back(static_cast<char>(kKissDelimiter));
    for (const char c : kissFrame) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kKissDelimiter || byte == kKissEscape) {
            capture.push_back(static_cast<char>(kKissEscape));
            capture.push_back(
                static_cast<char>(byte == kKissDelimiter ? kKissEscapedC0 : kKissEscapedDB));
        } else {
            capture.push_back(c);
        }
    }
    capture.push_back(static_cast<char>(kKissDelimiter));
}

} // namespace zelto
