#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelto {

// Every line of a HEX frame file ends so.
inline constexpr std::string_view kHexLineEnd = "\r\n";

// The HEX frame file name of a capture file name: the part from the last dot on becomes
// ".HEX"; a name without a dot gets ".HEX" appended.
std::string hexFileName(std::string_view captureFileName);

// Where an import writes the HEX frame file of a capture: always the working folder,
// whatever folder the capture lies in.
std::filesystem::path hexFilePath(const std::filesystem::path& capture,
                                  const std::filesystem::path& workFolder);

// One byte as its two upper-case hexadecimal digits, without a blank.
std::string byteToHex(unsigned char byte);

// One hex token: two digits and the blank that every token carries.
inline void appendHexToken(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
    out.push_back(' ');
}

// The bytes as a run of hex tokens, the last one with its blank.
void appendHexTokens(std::string& out, std::string_view bytes);

} // namespace zelto
