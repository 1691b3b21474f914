#include "satellite.h"

namespace zelto::bench {

namespace {

constexpr std::size_t kCarousel = 4;
constexpr std::size_t kIcons = 6;

} // namespace

Satellite::Satellite(SeededRandom random, const RgbPicture* picture)
    : random_(random), otherSeed_(random_.next()), catalogue_(random_.child(1), picture) {
    while (carousel_.size() < kCarousel)
        addImage();
}

void Satellite::addImage() {
    carousel_.push_back(catalogue_.newImage(random_.perMille(600)));
    ++imagesMade_;
    if (icons_.empty() || random_.perMille(500)) {
        icons_.push_back(
            std::make_shared<const SatelliteIcon>(catalogue_.newIcon(*carousel_.back())));
        if (icons_.size() > kIcons)
            icons_.pop_front();
    }
}

void Satellite::startTurn() {
    if (turns_ > 0) {
        carousel_.pop_front();
        addImage();
    }
    ++turns_;
    queue_.clear();
    queued_ = 0;
    for (const auto& image : carousel_)
        for (ImageKind kind : {ImageKind::Thumbnail, ImageKind::Puzzle})
            for (int number = image->size(kind) ? imageFrameCount(image->size(kind)) : 0;
                 number >= 1; --number) {
                Broadcast b;
                b.what = Broadcast::What::Image;
                b.image = image;
                b.kind = kind;
                b.number = number;
                queue_.push_back(b);
            }
}

Broadcast Satellite::next() {
    Broadcast b;
    b.slot = slot_++;
    const int draw = random_.between(0, 999);
    if (draw < 150) {
        b.what = Broadcast::What::Other;
        b.length = random_.between(67, 333);
    } else if (draw < 155) {
        b.what = Broadcast::What::Unkept;
        b.length = random_.perMille(500) ? random_.between(8, 60) : random_.between(340, 700);
    } else if (draw < 205) {
        b.what = Broadcast::What::Text;
        // Mostly the picture being sent, sometimes another one of the carousel.
        b.image = random_.perMille(750) && queued_ < queue_.size()
                      ? queue_[queued_].image
                      : carousel_[random_.between(0, kCarousel - 1)];
    } else if (draw < 225) {
        b.what = Broadcast::What::Icon;
        b.icon = icons_[nextIcon_++ % icons_.size()];
    } else {
        if (queued_ >= queue_.size())
            startTurn();
        const long slot = b.slot;
        b = queue_[queued_++];
        b.slot = slot;
    }
    return b;
}

Frame Satellite::frameOf(const Broadcast& b) {
    const auto sequence = static_cast<std::uint8_t>(b.slot);
    switch (b.what) {
    case Broadcast::What::Text:
        return textFrame(sequence, b.image->id(), b.image->description());
    case Broadcast::What::Icon:
        return iconFrame(sequence, b.icon->id, b.icon->bitmap);
    case Broadcast::What::Image:
        return imageFrame(sequence, b.kind, b.image->id(), b.image->jpeg(b.kind), b.number);
    case Broadcast::What::Other:
    case Broadcast::What::Unkept:
        break;
    }
    // Telemetry bytes come from the slot alone, whatever was heard before.
    SeededRandom bytes(static_cast<std::uint64_t>(otherSeed_) << 32 ^
                       static_cast<std::uint64_t>(b.slot));
    return otherFrame(sequence, b.length, bytes);
}

} // namespace zelto::bench
