#pragma once

#include "beacon_frames.h"
#include "pictures.h"
#include "seeded_random.h"

#include <memory>
#include <set>
#include <string>

namespace zelto::bench {

// One picture the satellite holds: its ID, its description, the sizes of its thumbnail
// and puzzle JPEG files (no puzzle when 0), and the files themselves, made when first
// needed so that pictures no frame of the capture carries cost nothing.
class SatelliteImage {
  public:
    SatelliteImage(FrameId id, std::string description, int thumbnailSize, int puzzleSize,
                   Painter painter);

    const FrameId& id() const { return id_; }
    const std::string& description() const { return description_; }
    int size(ImageKind kind) const {
        return kind == ImageKind::Thumbnail ? thumbnailSize_ : puzzleSize_;
    }
    const std::string& jpeg(ImageKind kind);
    std::string iconBitmap(int width, int height) const;

  private:
    FrameId id_;
    std::string description_;
    int thumbnailSize_;
    int puzzleSize_;
    Painter painter_;
    std::string thumbnail_;
    std::string puzzle_;
};

struct SatelliteIcon {
    FrameId id;
    std::string bitmap;
};

// Draws new images and icons from one random stream, every ID different from the others.
class ImageCatalogue {
  public:
    // `picture` (may be null) is a real picture that about half of the images are cut from.
    ImageCatalogue(SeededRandom random, const RgbPicture* picture);

    // Thumbnail sizes give 2 to 40 frames, puzzle sizes up to 300 frames.
    std::shared_ptr<SatelliteImage> newImage(bool withPuzzle);
    std::shared_ptr<SatelliteImage> newImage(int thumbnailSize, int puzzleSize);
    // A 1-bit bitmap of at most 100 bytes from one of the images.
    SatelliteIcon newIcon(const SatelliteImage& image);

    SeededRandom& random() { return random_; }
    // Descriptions of plain ASCII only, for captures meant to be read on screen.
    void setAsciiOnly(bool asciiOnly) { asciiOnly_ = asciiOnly; }

  private:
    FrameId newId();
    std::string newDescription();
    int sizeOfFrames(int fewest, int most);

    SeededRandom random_;
    const RgbPicture* picture_;
    std::set<FrameId> ids_;
    long made_ = 0;
    bool asciiOnly_ = false;
};

} // namespace zelto::bench
