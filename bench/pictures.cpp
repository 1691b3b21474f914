#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

namespace zelto::bench {

namespace {

// The pictures the satellite sends are 376 x 239; every picture here keeps that shape.
constexpr double kAspect = 376.0 / 239.0;

struct Colour {
    double r, g, b;
};

Colour mixColour(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint32_t hash3(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B185EBCA87ull ^
                      static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^ seed;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

// Smooth value noise in [0, 1], three octaves.
double cloudNoise(double u, double v, std::uint32_t seed) {
    double sum = 0, weight = 0, amplitude = 1;
    for (int octave = 0; octave < 3; ++octave) {
        const double fx = std::floor(u), fy = std::floor(v);
        const double tx = u - fx, ty = v - fy;
        const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
        auto corner = [&](std::int64_t dx, std::int64_t dy) {
            return (hash3(ix + dx, iy + dy, seed + octave) & 0xFFFF) / 65535.0;
        };
        const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * tx;
        const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * tx;
        sum += amplitude * (top + (bottom - top) * ty);
        weight += amplitude;
        amplitude *= 0.5;
        u *= 2.1;
        v *= 2.1;
    }
    return sum / weight;
}

// Fine sensor grain, which is what makes large pictures code to large files.
double grain(int x, int y, std::uint32_t seed, double amount) {
    return ((hash3(x, y, seed) & 0xFF) / 255.0 - 0.5) * amount;
}

using ColourAt = std::function<Colour(double u, double v, int x, int y)>;

RgbPicture paint(int width, int height, const ColourAt& colourAt) {
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    std::uint8_t* out = picture.pixels.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = colourAt((x + 0.5) / width, (y + 0.5) / height, x, y);
            for (double channel : {c.r, c.g, c.b})
                *out++ = static_cast<std::uint8_t>(std::clamp(std::lround(channel), 0L, 255L));
        }
    return picture;
}

Painter earthLimb(SeededRandom& random) {
    const double centreU = random.between(20, 80) / 100.0;
    const double centreV = random.between(150, 230) / 100.0;
    const double radius = random.between(120, 190) / 100.0;
    const std::uint32_t seed = random.next();
    const double grainAmount = random.between(4, 40);
    return [=](int width, int height) {
        return paint(width, height, [=](double u, double v, int x, int y) {
            const double du = (u - centreU) * kAspect, dv = v - centreV;
            const double distance = std::sqrt(du * du + dv * dv);
            Colour c;
            if (distance < radius) {
                const double depth = (radius - distance) / 0.35;
                c = mixColour({10, 40, 110}, {30, 90, 170}, depth);
                if (cloudNoise(u * 4 + 7, v * 9, seed + 11) > 0.58)
                    c = mixColour(c, {120, 110, 70}, 0.8);
                const double cloud = cloudNoise(u * 7, v * 14, seed);
                c = mixColour(c, {245, 245, 250}, (cloud - 0.45) * 3.5);
            } else if (distance < radius + 0.04) {
                c = mixColour({150, 190, 255}, {0, 0, 10}, (distance - radius) / 0.04);
            } else {
                const bool star =
                    (hash3(std::lround(u * 420), std::lround(v * 270), seed) & 0x3FF) < 6;
                c = star ? Colour{230, 230, 240} : Colour{2, 2, 8};
            }
            const double g = grain(x, y, seed, grainAmount);
            return Colour{c.r + g, c.g + g, c.b + g};
        });
    };
}

Painter ringsOverGradient(SeededRandom& random) {
    const Colour from{double(random.between(0, 255)), double(random.between(0, 255)),
                      double(random.between(0, 255))};
    const Colour to{double(random.between(0, 255)), double(random.between(0, 255)),
                    double(random.between(0, 255))};
    const double centreU = random.between(0, 100) / 100.0;
    const double centreV = random.between(0, 100) / 100.0;
    const double spacing = random.between(20, 90);
    const std::uint32_t seed = random.next();
    const double grainAmount = random.between(4, 40);
    return [=](int width, int height) {
        return paint(width, height, [=](double u, double v, int x, int y) {
            const double du = (u - centreU) * kAspect, dv = v - centreV;
            const double ring = 0.5 + 0.5 * std::sin(std::sqrt(du * du + dv * dv) * spacing);
            Colour c = mixColour(from, to, (u + v) / 2);
            c = mixColour(c, {255 - c.r, 255 - c.g, 255 - c.b}, ring * 0.35);
            const double g = grain(x, y, seed, grainAmount);
            return Colour{c.r + g, c.g + g, c.b + g};
        });
    };
}

Painter panelGrid(SeededRandom& random) {
    const int columns = random.between(4, 16);
    const int rows = random.between(3, 10);
    const double light = random.between(0, 100) / 100.0;
    const std::uint32_t seed = random.next();
    const double grainAmount = random.between(4, 40);
    return [=](int width, int height) {
        return paint(width, height, [=](double u, double v, int x, int y) {
            const double cu = u * columns - std::floor(u * columns);
            const double cv = v * rows - std::floor(v * rows);
            const bool line = cu < 0.06 || cv < 0.08;
            Colour c = line ? Colour{190, 190, 200} : Colour{20, 30, 90};
            c = mixColour(c, {255, 250, 220}, 0.5 - std::abs(u - light));
            const double g = grain(x, y, seed, grainAmount);
            return Colour{c.r + g, c.g + g, c.b + g};
        });
    };
}

std::string encodeJpeg(const RgbPicture& picture, int quality, bool grey) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (grey)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, quality, TRUE);
    // Optimised Huffman tables: what a sender short of bytes uses, and it lets the
    // smallest thumbnails stay under 400 bytes.
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    const auto stride = static_cast<std::size_t>(picture.width) * 3;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(picture.pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// Adds a comment segment after the JFIF header so that the file has exactly `size` bytes;
// the gap must be 0 or at least 4 bytes (marker and length).
std::string padToSize(std::string jpeg, int size) {
    const int gap = size - static_cast<int>(jpeg.size());
    if (gap == 0)
        return jpeg;
    const std::size_t afterApp0 =
        4 + (static_cast<unsigned char>(jpeg[4]) << 8 | static_cast<unsigned char>(jpeg[5]));
    std::string comment = "\xFF\xFE";
    comment.push_back(static_cast<char>((gap - 2) >> 8));
    comment.push_back(static_cast<char>((gap - 2) & 0xFF));
    static constexpr std::string_view filler = "ATHENOXAT-1 camera frame; ";
    for (int i = 0; i < gap - 4; ++i)
        comment.push_back(filler[i % filler.size()]);
    jpeg.insert(afterApp0, comment);
    return jpeg;
}

int heightFor(int width) {
    return std::max(8, static_cast<int>(std::lround(width / kAspect)));
}

} // namespace

Painter sceneFromRandom(SeededRandom& random) {
    switch (random.between(0, 2)) {
    case 0:
        return earthLimb(random);
    case 1:
        return ringsOverGradient(random);
    default:
        return panelGrid(random);
    }
}

Painter cropOfPicture(const RgbPicture& source, SeededRandom& random) {
    const double scale = random.between(55, 100) / 100.0;
    const double cropWidth = source.width * scale, cropHeight = source.height * scale;
    const double left = random.between(0, 1000) / 1000.0 * (source.width - cropWidth);
    const double top = random.between(0, 1000) / 1000.0 * (source.height - cropHeight);
    return [=, &source](int width, int height) {
        return paint(width, height, [&](double u, double v, int, int) {
            const double sx = std::clamp(left + u * cropWidth - 0.5, 0.0, source.width - 1.0);
            const double sy = std::clamp(top + v * cropHeight - 0.5, 0.0, source.height - 1.0);
            const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, source.width - 1);
            const int y1 = std::min(y0 + 1, source.height - 1);
            const double tx = sx - x0, ty = sy - y0;
            auto at = [&](int x, int y) {
                const std::uint8_t* p = &source.pixels[(std::size_t(y) * source.width + x) * 3];
                return Colour{double(p[0]), double(p[1]), double(p[2])};
            };
            return mixColour(mixColour(at(x0, y0), at(x1, y0), tx),
                             mixColour(at(x0, y1), at(x1, y1), tx), ty);
        });
    };
}

RgbPicture decodeJpeg(const std::string& bytes) {
    struct Errors {
        jpeg_error_mgr manager;
        std::jmp_buf escape;
    } errors;
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<Errors*>(common->err)->escape, 1);
    };
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error("not a JPEG picture libjpeg can read");
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    RgbPicture picture{
        static_cast<int>(info.output_width), static_cast<int>(info.output_height), {}};
    picture.pixels.resize(std::size_t(picture.width) * picture.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPLE* row =
            picture.pixels.data() + std::size_t(info.output_scanline) * picture.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}

std::string jpegOfSize(const Painter& painter, int size) {
    // Very small files only fit as grey pictures: colour needs a second quantisation table.
    const bool grey = size < 700;
    // Coded size grows about linearly with the pixel count: a few steps find the width.
    int width = 64;
    for (int step = 0; step < 6; ++step) {
        const int coded =
            static_cast<int>(encodeJpeg(painter(width, heightFor(width)), 85, grey).size());
        const double ratio = double(size) / coded;
        if (ratio > 0.8 && ratio <= 1.0)
            break;
        width = std::clamp(static_cast<int>(width * std::sqrt(ratio * 0.9)), 8, 1600);
    }
    for (;; width = std::max(8, width * 3 / 4)) {
        const RgbPicture picture = painter(width, heightFor(width));
        // The best quality whose file still fits.
        int low = 5, high = 95;
        std::string best;
        while (low <= high) {
            const int quality = (low + high) / 2;
            std::string coded = encodeJpeg(picture, quality, grey);
            if (static_cast<int>(coded.size()) <= size) {
                best = std::move(coded);
                low = quality + 1;
            } else {
                high = quality - 1;
            }
        }
        for (int quality = low - 2; !best.empty() && quality >= 5; --quality) {
            const int gap = size - static_cast<int>(best.size());
            if (gap == 0 || gap >= 4)
                return padToSize(std::move(best), size);
            best = encodeJpeg(picture, quality, grey);
        }
        if (width == 8)
            throw std::runtime_error("no JPEG picture fits in " + std::to_string(size) + " bytes");
    }
}

std::string monochromeBmp(const Painter& painter, int width, int height) {
    const RgbPicture picture = painter(width, height);
    std::vector<int> brightness;
    long total = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); i += 3) {
        brightness.push_back(picture.pixels[i] * 3 + picture.pixels[i + 1] * 6 +
                             picture.pixels[i + 2]);
        total += brightness.back();
    }
    const long mean = total / static_cast<long>(brightness.size());
    const int rowBytes = (width + 31) / 32 * 4;
    const int pixelBytes = rowBytes * height;
    const int headerBytes = 14 + 40 + 8;
    std::string bmp;
    auto put16 = [&](int value) {
        bmp.push_back(static_cast<char>(value & 0xFF));
        bmp.push_back(static_cast<char>(value >> 8 & 0xFF));
    };
    auto put32 = [&](int value) {
        put16(value & 0xFFFF);
        put16(value >> 16 & 0xFFFF);
    };
    bmp += "BM";
    put32(headerBytes + pixelBytes);
    put32(0);
    put32(headerBytes);
    put32(40);
    put32(width);
    put32(height);
    put16(1);
    put16(1);
    put32(0);
    put32(pixelBytes);
    put32(2835);
    put32(2835);
    put32(2);
    put32(0);
    put32(0);          // black
    put32(0x00FFFFFF); // white
    // Rows bottom up, each padded to four bytes.
    for (int y = height - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(rowBytes), '\0');
        for (int x = 0; x < width; ++x)
            if (brightness[std::size_t(y) * width + x] > mean)
                row[x / 8] = static_cast<char>(row[x / 8] | 0x80 >> (x % 8));
        bmp += row;
    }
    return bmp;
}

} // namespace zelto::bench
