#pragma once

#include "seeded_random.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelto::bench {

// Plain 8-bit RGB pixels, row after row.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Paints one picture at any size, always the same picture.
using Painter = std::function<RgbPicture(int width, int height)>;

// A scene of the kind an Earth-observing cube-sat sends, drawn from the random stream: a
// limb of the Earth with clouds over black space, a gradient with rings, or a panel grid.
Painter sceneFromRandom(SeededRandom& random);

// A crop of a real picture, chosen by the random stream, resampled to any size.
Painter cropOfPicture(const RgbPicture& source, SeededRandom& random);

// Decodes a JPEG file's bytes; throws std::runtime_error when libjpeg rejects them.
RgbPicture decodeJpeg(const std::string& bytes);

// A baseline JPEG file of exactly `size` bytes showing the painter's picture: width and
// quality are searched so the coded picture fits, and a comment segment fills the rest.
std::string jpegOfSize(const Painter& painter, int size);

// A 1-bit BMP file of the picture, thresholded at its mean brightness.
std::string monochromeBmp(const Painter& painter, int width, int height);

} // namespace zelto::bench
