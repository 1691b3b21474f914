#pragma once

#include <cstring>
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

namespace detail {
struct HexTokenTable {
    char token[256][3];
    constexpr HexTokenTable() : token() {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            token[b][0] = kDigits[b >> 4];
            token[b][1] = kDigits[b & 0x0F];
            token[b][2] = ' ';
        }
    }
};
inline constexpr HexTokenTable kHexTokens;
} // namespace detail

// Writes the hex token of a byte (two digits and the blank every token carries) at `to`
// and returns the position after it. Captures are converted a whole frame at a time, so
// this writes into room made beforehand rather than growing a string per character.
inline char* putHexToken(char* to, unsigned char byte) {
    std::memcpy(to, detail::kHexTokens.token[byte], 3);
    return to + 3;
}

// The bytes as a run of hex tokens, the last one with its blank.
void appendHexTokens(std::string& out, std::string_view bytes);

} // namespace zelto
