#include "app/text_codec.h"

#include <algorithm>
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
    // Text without the codes 0x80 to 0x9F (hex report lines, most descriptions) reads as
    // Latin-1, which Qt converts in bulk.
    const bool latin1 = std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) <= 0x9F;
    });
    if (latin1)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (unsigned char byte : bytes)
        *out++ = QChar(codePoint(byte));
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
