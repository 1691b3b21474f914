#pragma once

#include <string_view>

namespace zelto {

// The open command the window would use for a file.
enum class CaptureKind { Kiss, Text, Satnogs, Recording, Hex };

// Chosen by the end of the file name, letter case ignored: ".kss" a KISS capture, ".txt" a
// monitor text capture, ".csv" or ".json" frames from the SatNOGS DB, ".wav", ".flac" or
// ".ogg" a recording of the radio's audio, anything else a HEX frame file.
CaptureKind captureKindOf(std::string_view fileName);

} // namespace zelto
