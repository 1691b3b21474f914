// The preview of an image from some of its frames. The first eight bytes choose the frames
// that are missing (frame f when bit f mod 64 is set), the rest is the image file. Any input
// gives a picture or a reason, never both; a picture has the size that the file's header
// gives the whole file; with every frame present it is the whole file's picture.
#include "core/run_error.h"
#include "picture/picture.h"
#include "picture/preview.h"
#include "fuzz_support.h"

#include <cstdint>
#include <optional>

using namespace zelto;

namespace {

// Pictures far larger than a beacon image only slow the search down: the size a frame
// header (SOFn) gives, or 0 without one.
long long picturePixels(std::string_view file) {
    for (std::size_t i = 0; i + 9 <= file.size(); ++i) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(file[i + k]); };
        if (byte(0) == 0xFF && byte(1) >= 0xC0 && byte(1) <= 0xCF && byte(1) != 0xC4 &&
            byte(1) != 0xC8 && byte(1) != 0xCC)
            return static_cast<long long>(byte(5) << 8 | byte(6)) * (byte(7) << 8 | byte(8));
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    std::uint64_t missing = 0;
    for (int i = 0; i < 8; ++i)
        missing = missing << 8 | data[i];
    const std::string_view file = fuzz::bytesOf(data + 8, size - 8).substr(0, 65535);
    const long count = static_cast<long>(file.size()) / 200 + 1;
    if (picturePixels(file) > 256 * 256)
        return 0;

    PresentFrames all;
    PresentFrames some;
    for (long f = count; f >= 1; --f) {
        const std::string bytes(file.substr(static_cast<std::size_t>(count - f) * 200, 200));
        all[f] = bytes;
        if (!(missing >> (f % 64) & 1))
            some[f] = bytes;
    }

    std::optional<QImage> whole;
    try {
        whole = decodeJpeg(file);
    } catch (const RunError&) {
    }
    for (const PresentFrames* frames : {&some, &all}) {
        const Preview preview = decodePreview(*frames, count);
        if (preview.image.isNull() == preview.reason.empty())
            fuzz::fail("a preview without a picture or a reason, or with both");
        if (!preview.image.isNull() && whole && preview.image.size() != whole->size())
            fuzz::fail("a preview of another size than the picture");
        if (frames == &all && whole && preview.image != *whole)
            fuzz::fail("the preview of every frame is not the picture");
    }
    return 0;
}
