#include "beacon_frames.h"

#include <algorithm>
#include <stdexcept>

namespace zelto::bench {

namespace {

constexpr std::uint8_t kEnd = 0xC0;
constexpr std::uint8_t kEscape = 0xDB;

Frame header(std::uint8_t sequence, std::uint8_t type0, std::uint8_t type1, std::uint8_t type2) {
    return Frame{'\0',
                 '\0',
                 static_cast<char>(sequence),
                 static_cast<char>(type0),
                 static_cast<char>(type1),
                 static_cast<char>(type2)};
}

void put16(Frame& frame, int value) {
    frame.push_back(static_cast<char>(value & 0xFF));
    frame.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void putId(Frame& frame, const FrameId& id) {
    for (std::uint8_t b : id)
        frame.push_back(static_cast<char>(b));
}

bool isFrameOfInterest(std::uint8_t b3, std::uint8_t b4, std::uint8_t b5) {
    return (b3 == 0x86 && b4 == 0x82 && b5 == 0x05) ||
           (b3 == 0x85 && b4 == 0x82 && (b5 == 0x02 || b5 == 0x03 || b5 == 0x04));
}

} // namespace

std::string idText(const FrameId& id) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : id) {
        if (!text.empty())
            text.push_back(' ');
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

Frame textFrame(std::uint8_t sequence, const FrameId& imageId, std::string_view description) {
    if (description.size() > 90)
        throw std::invalid_argument("a description holds at most 90 characters");
    Frame frame = header(sequence, 0x86, 0x82, 0x05);
    // The length counts one byte more than the text.
    put16(frame, static_cast<int>(description.size()) + 1);
    frame.append(description);
    frame.resize(98, '\0');
    putId(frame, imageId);
    return frame;
}

Frame iconFrame(std::uint8_t sequence, const FrameId& iconId, std::string_view bitmap) {
    if (bitmap.size() > 100)
        throw std::invalid_argument("an icon bitmap holds at most 100 bytes");
    Frame frame = header(sequence, 0x85, 0x82, 0x02);
    put16(frame, static_cast<int>(bitmap.size()));
    frame.append(bitmap);
    frame.resize(108, '\0');
    putId(frame, iconId);
    return frame;
}

int imageFrameCount(int size) {
    return size / 200 + 1;
}

Frame imageFrame(std::uint8_t sequence, ImageKind kind, const FrameId& imageId,
                 std::string_view jpeg, int number) {
    const int size = static_cast<int>(jpeg.size());
    const int count = imageFrameCount(size);
    Frame frame = header(sequence, 0x85, 0x82, kind == ImageKind::Thumbnail ? 0x04 : 0x03);
    putId(frame, imageId);
    frame.push_back(static_cast<char>(size % 200));
    put16(frame, size);
    put16(frame, number);
    // Frame N carries the first 200 bytes, frame 1 the remainder.
    const std::size_t from = static_cast<std::size_t>(count - number) * 200;
    frame.append(jpeg.substr(from, number > 1 ? 200 : static_cast<std::size_t>(size % 200)));
    frame.resize(215, '\0');
    return frame;
}

Frame otherFrame(std::uint8_t sequence, int length, SeededRandom& random) {
    std::uint8_t type0 = random.byte();
    if (type0 == 0x85 || type0 == 0x86)
        type0 = 0x01;
    Frame frame = header(sequence, type0, random.byte(), random.byte());
    while (static_cast<int>(frame.size()) < length)
        frame.push_back(static_cast<char>(random.byte()));
    frame.resize(static_cast<std::size_t>(std::max(length, 0)));
    return frame;
}

Frame withoutInterest(Frame frame) {
    if (frame.size() > 5 &&
        isFrameOfInterest(static_cast<std::uint8_t>(frame[3]), static_cast<std::uint8_t>(frame[4]),
                          static_cast<std::uint8_t>(frame[5])))
        frame[3] = 0x01;
    return frame;
}

int kissLength(std::string_view frame) {
    int length = frame.empty() ? 0 : 1;
    for (std::size_t i = 1; i < frame.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(frame[i]);
        length += b == kEnd || b == kEscape ? 2 : 1;
    }
    return length;
}

bool keptByKissImport(std::string_view frame) {
    const int length = kissLength(frame);
    return length >= 67 && length <= 333;
}

} // namespace zelto::bench
