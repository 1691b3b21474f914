#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// Characters `from` to `from + count - 1` of s, counted from 1, cut at the end of s.
std::string_view chars(std::string_view s, std::size_t from, std::size_t count);

// Parses an integer the way the run-time library does: optional blanks and sign, then
// decimal digits, or "$" / "0x" followed by hexadecimal digits of either case.
std::optional<long> parseInteger(std::string_view text);

// As parseInteger, but fails with "'%s' is not a valid integer value".
long toInteger(std::string_view text);

// One byte as two upper-case hexadecimal digits.
inline void appendHexByte(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
}

// The value of a hexadecimal digit of either case, -1 for any other character.
int hexDigitValue(char c);

std::string toUpperAscii(std::string_view s);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace zelto
