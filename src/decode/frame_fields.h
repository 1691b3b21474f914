#pragma once

#include <string>
#include <string_view>

namespace zelto {

// Beacon frames in a HEX line: byte k is the token at characters 3k+1 to 3k+3.
enum class FrameType { None, Text, Icon, Thumbnail, Puzzle };

// Tells a line's frame type by characters 10 to 17, compared exactly.
FrameType classifyLine(std::string_view line);

// One byte field: "$" and the token's two digits, parsed as a hexadecimal integer.
long readByteField(std::string_view line, std::size_t byteIndex);
// A little-endian 16-bit field at bytes k and k+1.
long readWordField(std::string_view line, std::size_t byteIndex);
// `count` bytes from a byte position, each by the one-byte rule.
std::string readBytes(std::string_view line, std::size_t firstByte, long count);

// Turns hex tokens into text, one character per token, n characters; a lone last digit is
// read alone. Fails with "'%s' is not a valid integer value".
std::string hexPairs(std::string_view tokens, long count);

struct TextFrame {
    std::string imageId;
    std::string description;
};

struct IconFrame {
    long size = 0;
    std::string iconId; // 12 characters: four tokens, each with its blank
};

struct ImageFrame {
    std::string imageId;
    long remainder = 0;
    long imageSize = 0;
    long frameCount = 0;
    long frameNumber = 0;
    std::string frameNumberText; // characters 40 to 44
};

TextFrame readTextFrame(std::string_view line);
IconFrame readIconFrame(std::string_view line);
ImageFrame readImageFrame(std::string_view line);

// The bytes a frame carries: the icon bitmap, or an image slice (200 bytes for frame
// numbers above 1, else the remainder).
std::string iconBitmap(std::string_view line, const IconFrame& frame);
std::string imagePayload(std::string_view line, const ImageFrame& frame);

// Checks that keep every name made from a frame inside its folder. They throw
// "'<text>' is not a valid image ID".
void checkImageFrameNames(const ImageFrame& frame);
void checkIconId(std::string_view iconId);

} // namespace zelto
