// Reading the fields of a beacon frame from its HEX line.
#include "decode/frame_fields.h"

#include "core/run_error.h"
#include "core/text.h"
#include "decode/frame_layout.h"
#include "store/store_layout.h"

namespace zelto {

using namespace frame_layout;

namespace {

struct HexDigitTable {
    signed char value[256];
    constexpr HexDigitTable() : value() {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? static_cast<signed char>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<signed char>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<signed char>(c - 'a' + 10)
                                              : -1;
    }
};
constexpr HexDigitTable kHexDigits;

// The value of a hexadecimal digit, -1 for any other character.
int hexDigit(char c) {
    return kHexDigits.value[static_cast<unsigned char>(c)];
}

// "$" followed by the digits, as the run-time library parses it. The common case of two
// or four valid digits takes no allocation; anything else goes the slow way to its message.
long parseDollarHex(std::string_view digits1, std::string_view digits2 = {}) {
    long value = 0;
    bool ok = !(digits1.empty() && digits2.empty());
    for (std::string_view part : {digits1, digits2})
        for (char c : part) {
            const int d = hexDigit(c);
            ok = ok && d >= 0;
            value = value * 16 + d;
        }
    if (ok)
        return value;
    return toInteger("$" + std::string(digits1) + std::string(digits2));
}

std::string_view digitsOfByte(std::string_view line, std::size_t byteIndex) {
    return chars(line, 3 * byteIndex + 1, 2);
}

bool isHexPair(std::string_view s, std::size_t at) {
    return hexDigit(s[at]) >= 0 && hexDigit(s[at + 1]) >= 0;
}

// n two-digit tokens; with trailingBlank every token has its blank, else blanks only between.
bool isTokenRun(std::string_view s, std::size_t n, bool trailingBlank) {
    const std::size_t length = 3 * n - (trailingBlank ? 0 : 1);
    if (s.size() != length)
        return false;
    for (std::size_t k = 0; k < n; ++k)
        if (!isHexPair(s, 3 * k) || (3 * k + 2 < length && s[3 * k + 2] != ' '))
            return false;
    return true;
}

[[noreturn]] void throwNotValidImageId(std::string_view text) {
    throw RunError("'" + std::string(text) + "' is not a valid image ID");
}

} // namespace

FrameType classifyLine(std::string_view line) {
    const std::string_view type = chars(line, column(kTypeBytes), kTypeTextLength);
    if (type == kTextType)
        return FrameType::Text;
    if (type == kIconType)
        return FrameType::Icon;
    if (type == kThumbnailType)
        return FrameType::Thumbnail;
    if (type == kPuzzleType)
        return FrameType::Puzzle;
    return FrameType::None;
}

long readByteField(std::string_view line, std::size_t byteIndex) {
    return parseDollarHex(digitsOfByte(line, byteIndex));
}

long readWordField(std::string_view line, std::size_t byteIndex) {
    return parseDollarHex(digitsOfByte(line, byteIndex + 1), digitsOfByte(line, byteIndex));
}

std::string readBytes(std::string_view line, std::size_t firstByte, long count) {
    if (count <= 0)
        return {};
    const auto n = static_cast<std::size_t>(count);
    // Payloads are read whole where every digit is there and valid; otherwise byte by byte,
    // which stops at the first bad byte with its message.
    if (line.size() >= 3 * (firstByte + n) - 1) {
        std::string bytes(n, '\0');
        const char* from = line.data() + 3 * firstByte;
        int bad = 0;
        for (std::size_t i = 0; i < n; ++i, from += 3) {
            const int high = hexDigit(from[0]);
            const int low = hexDigit(from[1]);
            bad |= high | low;
            bytes[i] = static_cast<char>(high << 4 | low);
        }
        if (bad >= 0)
            return bytes;
    }
    std::string bytes;
    for (std::size_t i = 0; i < n; ++i)
        bytes.push_back(static_cast<char>(readByteField(line, firstByte + i)));
    return bytes;
}

std::string hexPairs(std::string_view tokens, long count) {
    std::string text;
    for (long i = 0; i < count; ++i)
        text.push_back(static_cast<char>(parseDollarHex(chars(tokens, 3 * i + 1, 2))));
    return text;
}

TextFrame readTextFrame(std::string_view line) {
    TextFrame frame;
    const long length = readWordField(line, text::kLength);
    const long count = length - 1;
    frame.description =
        count > 0
            ? hexPairs(chars(line, column(text::kDescription), 3 * static_cast<std::size_t>(count)),
                       count)
            : "";
    frame.imageId = chars(line, column(text::kImageId), StoreLayout::kImageIdLength);
    return frame;
}

IconFrame readIconFrame(std::string_view line) {
    IconFrame frame;
    frame.size = readWordField(line, icon::kSize);
    frame.iconId = chars(line, column(icon::kIconId), icon::kIconIdTextLength);
    return frame;
}

ImageFrame readImageFrame(std::string_view line) {
    ImageFrame frame;
    frame.imageId = chars(line, column(image::kImageId), StoreLayout::kImageIdLength);
    frame.imageSize = readWordField(line, image::kImageSize);
    frame.frameCount = StoreLayout::frameCountOfImage(frame.imageSize);
    frame.frameNumber = readWordField(line, image::kFrameNumber);
    frame.remainder = readByteField(line, image::kRemainder);
    frame.frameNumberText = chars(line, column(image::kFrameNumber), tokensLength(2));
    return frame;
}

std::string iconBitmap(std::string_view line, const IconFrame& frame) {
    return readBytes(line, icon::kBitmap, frame.size);
}

std::string imagePayload(std::string_view line, const ImageFrame& frame) {
    return readBytes(line, image::kPayload,
                     StoreLayout::payloadLength(frame.frameNumber, frame.remainder));
}

void checkImageFrameNames(const ImageFrame& frame) {
    if (!isTokenRun(frame.imageId, 4, false))
        throwNotValidImageId(frame.imageId);
    if (!isTokenRun(frame.frameNumberText, 2, false))
        throwNotValidImageId(frame.frameNumberText);
}

void checkIconId(std::string_view iconId) {
    if (!isTokenRun(iconId, 4, true))
        throwNotValidImageId(iconId);
}

} // namespace zelto
