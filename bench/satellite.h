#pragma once

#include "beacon_frames.h"
#include "image_catalogue.h"

#include <deque>
#include <memory>
#include <vector>

namespace zelto::bench {

// One slot of the satellite's beacon: what it sends then. The frame's bytes are made only
// when a station actually hears it (Satellite::frameOf).
struct Broadcast {
    enum class What { Text, Icon, Image, Other, Unkept };
    What what = What::Other;
    long slot = 0;
    std::shared_ptr<SatelliteImage> image;
    ImageKind kind = ImageKind::Thumbnail;
    int number = 0;
    std::shared_ptr<const SatelliteIcon> icon;
    int length = 0;
};

// The beacon as the satellite sends it all day: a carousel of stored pictures, each sent
// as its thumbnail frames N..1 then its puzzle frames N..1, interleaved with descriptions,
// icons, telemetry and the odd broken frame. After every second turn of the carousel its
// oldest picture makes room for a new one, so each picture is sent eight times over some
// hours and the passes of a day catch different parts of it.
class Satellite {
  public:
    Satellite(SeededRandom random, const RgbPicture* picture);

    Broadcast next();
    Frame frameOf(const Broadcast& broadcast);

    long imagesMade() const { return imagesMade_; }

  private:
    void startTurn();
    void addImage();

    SeededRandom random_;
    std::uint32_t otherSeed_;
    ImageCatalogue catalogue_;
    std::deque<std::shared_ptr<SatelliteImage>> carousel_;
    std::deque<std::shared_ptr<const SatelliteIcon>> icons_;
    std::size_t nextIcon_ = 0;
    // The image frames still to send in this turn of the carousel.
    std::vector<Broadcast> queue_;
    std::size_t queued_ = 0;
    long turns_ = 0;
    long slot_ = 0;
    long imagesMade_ = 0;
};

} // namespace zelto::bench
