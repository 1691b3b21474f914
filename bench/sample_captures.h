#pragma once

#include <filesystem>

namespace zelto::bench {

// The small captures shipped with the program, decoded in the order
// pass1.kss, pass2.txt, pass3.HEX: descriptions, icons, one thumbnail complete in the
// first pass, one completed by the second, a puzzle complete after both, and a third
// thumbnail in the HEX frame file.
void writeSamples(const std::filesystem::path& folder);

} // namespace zelto::bench
