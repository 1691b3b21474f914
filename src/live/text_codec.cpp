// The one crossing of text between the program's bytes (Windows-1252) and Qt's strings.
#include "live/text_codec.h"

#include <array>
#include <unordered_map>

namespace zelto {

namespace {

// 0x80 to 0x9F; the five undefined codes stand for themselves.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t codePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

const std::unordered_map<char16_t, char>& reverseTable() {
    static const auto table = [] {
        std::unordered_map<char16_t, char> t;
        for (std::size_t i = 0; i < kHighControls.size(); ++i)
            t.emplace(kHighControls[i], static_cast<char>(0x80 + i));
        return t;
    }();
    return table;
}

} // namespace

QString fromWindows1252(std::string_view bytes) {
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = codePoint(static_cast<unsigned char>(b));
        return t;
    }();
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes)
        *out++ = table[static_cast<unsigned char>(c)];
    return text;
}

std::string toWindows1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.push_back(static_cast<char>(u));
            continue;
        }
        const auto& table = reverseTable();
        const auto found = table.find(u);
        bytes.push_back(found != table.end() ? found->second : '?');
    }
    return bytes;
}

} // namespace zelto
