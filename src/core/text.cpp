// Text helpers on the program's bytes: characters by position, hex digits, integers as the run-time
// library reads them.
#include "core/text.h"

#include "core/run_error.h"

namespace zelto {

std::string_view chars(std::string_view s, std::size_t from, std::size_t count) {
    if (from < 1 || from > s.size())
        return {};
    return s.substr(from - 1, count);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<long> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    long value = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigitValue(text[i]);
        if (d < 0 || d >= base)
            return std::nullopt;
        value = value * base + d;
        if (value > 0xFFFFFFFFL)
            return std::nullopt;
    }
    return negative ? -value : value;
}

long toInteger(std::string_view text) {
    if (auto value = parseInteger(text))
        return *value;
    throwNotValidInteger(std::string(text));
}

std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace zelto
