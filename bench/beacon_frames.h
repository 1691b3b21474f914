#pragma once

#include "seeded_random.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelto::bench {

// Four ID bytes, as they stand in a frame.
using FrameId = std::array<std::uint8_t, 4>;

// The ID as the decoder names things by it: "0A 1B 2C 3D".
std::string idText(const FrameId& id);

// A frame as the decoder sees it: byte 0 is the KISS command byte 00 (not sent on air),
// byte 1 is 00, byte 2 a sequence byte, bytes 3-5 the frame type.
using Frame = std::string;

enum class ImageKind { Thumbnail, Puzzle };

// Text frame: the description of an image (at most 90 characters), its ID at bytes 98-101.
Frame textFrame(std::uint8_t sequence, const FrameId& imageId, std::string_view description);

// Icon frame: a whole bitmap of at most 100 bytes from byte 8, its ID at bytes 108-111.
Frame iconFrame(std::uint8_t sequence, const FrameId& iconId, std::string_view bitmap);

// Frame count of an image of `size` bytes: size div 200 + 1.
int imageFrameCount(int size);

// Thumbnail or puzzle frame number `number` of a JPEG file: 200 bytes of it from byte 15,
// or the remainder for frame 1; always 215 bytes long, padded with zeros.
Frame imageFrame(std::uint8_t sequence, ImageKind kind, const FrameId& imageId,
                 std::string_view jpeg, int number);

// Any other beacon frame (telemetry and the like): `length` bytes in all, type bytes
// that are none of the four the decoder knows.
Frame otherFrame(std::uint8_t sequence, int length, SeededRandom& random);

// The same frame turned into another beacon frame of the same length, so that a capture
// keeps its size but holds nothing of interest.
Frame withoutInterest(Frame frame);

// Bytes the KISS import counts for the frame (command byte, escapes doubled).
int kissLength(std::string_view frame);

// Whether the KISS import keeps the frame: 67 to 333 bytes as counted above.
bool keptByKissImport(std::string_view frame);

} // namespace zelto::bench
