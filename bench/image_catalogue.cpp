#include "image_catalogue.h"

#include <array>
#include <string_view>

namespace zelto::bench {

SatelliteImage::SatelliteImage(FrameId id, std::string description, int thumbnailSize,
                               int puzzleSize, Painter painter)
    : id_(id), description_(std::move(description)), thumbnailSize_(thumbnailSize),
      puzzleSize_(puzzleSize), painter_(std::move(painter)) {}

const std::string& SatelliteImage::jpeg(ImageKind kind) {
    std::string& file = kind == ImageKind::Thumbnail ? thumbnail_ : puzzle_;
    if (file.empty() && size(kind) > 0)
        file = jpegOfSize(painter_, size(kind));
    return file;
}

std::string SatelliteImage::iconBitmap(int width, int height) const {
    return monochromeBmp(painter_, width, height);
}

ImageCatalogue::ImageCatalogue(SeededRandom random, const RgbPicture* picture)
    : random_(random), picture_(picture) {}

FrameId ImageCatalogue::newId() {
    for (;;) {
        FrameId id{random_.byte(), random_.byte(), random_.byte(), random_.byte()};
        // Every so often an ID holds the two bytes KISS must escape, so every capture
        // exercises both escapes, whatever its size.
        if (made_ % 8 == 0)
            id[made_ / 8 % 4] = made_ % 16 == 0 ? 0xC0 : 0xDB;
        ++made_;
        if (ids_.insert(id).second)
            return id;
    }
}

std::string ImageCatalogue::newDescription() {
    static constexpr std::array<std::string_view, 14> subjects = {"Earth limb at dawn",
                                                                  "Cloud bands over the Atlantic",
                                                                  "Sunrise over the Pacific",
                                                                  "Coast of Brazil",
                                                                  "Andes under snow",
                                                                  "Solar panel deployed",
                                                                  "Star field near Orion",
                                                                  "Antenna boom and Earth",
                                                                  "Sahara dunes",
                                                                  "Storm over the Caribe",
                                                                  "Moon over the horizon",
                                                                  "Antarctic ice shelf",
                                                                  "City lights at night",
                                                                  "Amazon river delta"};
    static constexpr std::array<int, 4> exposures = {125, 250, 500, 1000};
    std::string text(subjects[random_.between(0, subjects.size() - 1)]);
    text += ", orbit " + std::to_string(random_.between(1000, 9999));
    text += ", cam " + std::to_string(random_.between(1, 2));
    text += ", exp 1/" + std::to_string(exposures[random_.between(0, 3)]);
    if (random_.perMille(500)) {
        // Descriptions are raw bytes: the degree sign is the Latin-1 byte B0.
        text +=
            ", T=" + std::to_string(random_.between(-20, 45)) + (asciiOnly_ ? " " : "\xB0") + "C";
    }
    if (random_.perMille(300))
        text += ", station reports welcome at the ATHENOXAT-1 team";
    // Longer than this image's limit: cut after a whole item of the list.
    const auto limit = static_cast<std::size_t>(random_.between(20, 90));
    if (text.size() > limit) {
        const std::size_t comma = text.rfind(", ", limit);
        text.resize(comma != std::string::npos && comma >= 20 ? comma : limit);
    }
    return text;
}

int ImageCatalogue::sizeOfFrames(int fewest, int most) {
    const int frames = random_.between(fewest, most);
    // Now and then the size is an exact multiple of 200: frame 1 then carries no bytes.
    if (random_.perMille(120))
        return (frames - 1) * 200;
    return (frames - 1) * 200 + random_.between(0, 199);
}

std::shared_ptr<SatelliteImage> ImageCatalogue::newImage(bool withPuzzle) {
    const int thumbnailSize = sizeOfFrames(2, 40);
    const int puzzleSize = withPuzzle ? sizeOfFrames(10, 300) : 0;
    return newImage(thumbnailSize, puzzleSize);
}

std::shared_ptr<SatelliteImage> ImageCatalogue::newImage(int thumbnailSize, int puzzleSize) {
    const FrameId id = newId();
    std::string description = newDescription();
    SeededRandom pictureRandom = random_.child(made_);
    Painter painter = picture_ && pictureRandom.perMille(500)
                          ? cropOfPicture(*picture_, pictureRandom)
                          : sceneFromRandom(pictureRandom);
    return std::make_shared<SatelliteImage>(id, std::move(description), thumbnailSize, puzzleSize,
                                            std::move(painter));
}

SatelliteIcon ImageCatalogue::newIcon(const SatelliteImage& image) {
    // Sizes whose bitmap, 62 bytes of headers and rows padded to 4 bytes, stays within 100.
    static constexpr std::array<std::array<int, 2>, 5> shapes = {
        {{16, 8}, {16, 9}, {24, 9}, {32, 9}, {8, 8}}};
    const auto& shape = shapes[random_.between(0, shapes.size() - 1)];
    return {newId(), image.iconBitmap(shape[0], shape[1])};
}

} // namespace zelto::bench
