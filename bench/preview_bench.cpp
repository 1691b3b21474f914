// Times previews of images near the largest the beacon can send (65535 bytes, 328 frames),
// with every other frame after the header missing: a scene with a restart marker after every
// MCU row, where little can be placed, and flat bands with a marker after every 90 MCUs, the
// worst case, where nearly every stretch between two gaps is placed and decoded on its own.
//
//   build/bench/zelto-preview-bench [RUNS]
#include "picture/preview.h"
#include "pictures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

std::string jpegWithRestarts(const zelto::bench::RgbPicture& picture, int quality, int restartRows,
                             int restartMcus) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.restart_in_rows = restartRows;
    cinfo.restart_interval = static_cast<unsigned>(restartMcus);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.pixels.data() +
                                            static_cast<std::size_t>(cinfo.next_scanline) *
                                                static_cast<std::size_t>(picture.width) * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

// Every other frame after the header missing; the median time of the runs.
void timePreview(const char* what, const zelto::bench::RgbPicture& picture, int restartRows,
                 int restartMcus, int runs) {
    std::string jpeg;
    for (int quality = 95; quality >= 5 && (jpeg.empty() || jpeg.size() > 65535); quality -= 5)
        jpeg = jpegWithRestarts(picture, quality, restartRows, restartMcus);
    const long count = static_cast<long>(jpeg.size()) / 200 + 1;
    zelto::PresentFrames frames;
    for (long f = count; f >= 1; --f)
        if (f >= count - 4 || f % 2 == 1) // the header takes the first frames
            frames[f] = jpeg.substr(static_cast<std::size_t>(count - f) * 200, 200);

    std::vector<double> times;
    zelto::Preview preview;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        preview = zelto::decodePreview(frames, count);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    long grey = 0;
    for (int y = 0; y < preview.image.height(); ++y)
        for (int x = 0; x < preview.image.width(); ++x)
            grey += preview.image.pixel(x, y) == zelto::kPreviewGrey;
    const double shown =
        preview.image.isNull()
            ? 0
            : 100.0 * (1.0 - static_cast<double>(grey) /
                                 (static_cast<double>(picture.width) * picture.height));
    std::printf("%s: %dx%d, %zu bytes in %ld frames, %zu present: %.1f ms (median of %d), "
                "%.0f%% of the picture shown\n",
                what, picture.width, picture.height, jpeg.size(), count, frames.size(),
                times[times.size() / 2], runs, shown);
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    zelto::bench::SeededRandom random(13);
    timePreview("scene, a marker every MCU row", zelto::bench::sceneFromRandom(random)(640, 480), 1,
                0, runs);
    // Bands of flat colour code in about the fewest bits there are: the place of nearly
    // every marker is certain, and each stretch that holds one is decoded on its own.
    zelto::bench::RgbPicture flat{2400, 1600, {}};
    for (int y = 0; y < flat.height; ++y)
        for (int x = 0; x < flat.width * 3; ++x)
            flat.pixels.push_back(static_cast<std::uint8_t>(y / 16 * 7 + x % 3 * 60));
    timePreview("flat bands, a marker every 90 MCUs", flat, 0, 90, runs);
    return 0;
}
