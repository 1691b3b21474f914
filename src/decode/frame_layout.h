#pragma once

#include <cstddef>
#include <string_view>

namespace zelto {

// Where the fields of each beacon frame stand, as byte offsets into the frame (byte k is the
// token at characters 3k+1 to 3k+3 of a HEX line), and what tells the frame types apart.
namespace frame_layout {

// Bytes 3 to 5, as the tokens of a HEX line stand: characters 10 to 17.
inline constexpr std::size_t kTypeBytes = 3;
inline constexpr std::size_t kTypeTextLength = 8;
inline constexpr std::string_view kTextType = "86 82 05";
inline constexpr std::string_view kIconType = "85 82 02";
inline constexpr std::string_view kThumbnailType = "85 82 04";
inline constexpr std::string_view kPuzzleType = "85 82 03";

// Text frame: the description's length counts one byte more than the text taken.
namespace text {
inline constexpr std::size_t kLength = 6; // 16 bits, little-endian
inline constexpr std::size_t kDescription = 8;
inline constexpr std::size_t kImageId = 98; // 4 bytes
} // namespace text

// Icon frame: a whole bitmap file, and an ID that keeps the blank after its last token.
namespace icon {
inline constexpr std::size_t kSize = 6; // 16 bits, little-endian
inline constexpr std::size_t kBitmap = 8;
inline constexpr std::size_t kIconId = 108;          // 4 bytes
inline constexpr std::size_t kIconIdTextLength = 12; // its tokens with every blank
} // namespace icon

// Thumbnail and puzzle frames share one layout.
namespace image {
inline constexpr std::size_t kImageId = 6;      // 4 bytes
inline constexpr std::size_t kRemainder = 10;   // 1 byte: what frame 1 carries
inline constexpr std::size_t kImageSize = 11;   // 16 bits, little-endian
inline constexpr std::size_t kFrameNumber = 13; // 16 bits, little-endian; also as its tokens
inline constexpr std::size_t kPayload = 15;
} // namespace image

// The first character of byte k in a HEX line, counted from 1.
constexpr std::size_t column(std::size_t byte) {
    return 3 * byte + 1;
}
// The characters of n tokens with the blanks between them but not after the last.
constexpr std::size_t tokensLength(std::size_t count) {
    return 3 * count - 1;
}

} // namespace frame_layout

} // namespace zelto
