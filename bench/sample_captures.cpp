#include "sample_captures.h"

#include "capture_writers.h"
#include "image_catalogue.h"

namespace zelto::bench {

namespace {

// Writes frames with running sequence bytes and times a second apart.
class SampleCapture {
  public:
    SampleCapture(CaptureWriter& out, long startSecond) : out_(out), second_(startSecond) {}

    std::uint8_t sequence() { return sequence_++; }
    void add(const Frame& frame) { out_.add(frame, second_++); }

    void image(ImageKind kind, SatelliteImage& image, int number) {
        add(imageFrame(sequence(), kind, image.id(), image.jpeg(kind), number));
    }
    void images(ImageKind kind, SatelliteImage& image, int from, int to) {
        for (int number = from; number >= to; --number)
            this->image(kind, image, number);
    }

  private:
    CaptureWriter& out_;
    long second_;
    std::uint8_t sequence_ = 0;
};

} // namespace

void writeSamples(const std::filesystem::path& folder) {
    ImageCatalogue catalogue(SeededRandom(20240601), nullptr);
    catalogue.setAsciiOnly(true);
    SeededRandom& random = catalogue.random();
    // A: a thumbnail of 6 frames; B: a thumbnail of 9 frames and a puzzle of 30;
    // C: a thumbnail of 3 frames.
    auto a = catalogue.newImage(1000 + 137, 0);
    auto b = catalogue.newImage(1600 + 93, 5800 + 41);
    auto c = catalogue.newImage(400 + 166, 0);
    const SatelliteIcon iconA = catalogue.newIcon(*a);
    const SatelliteIcon iconB = catalogue.newIcon(*b);
    const SatelliteIcon iconC = catalogue.newIcon(*c);

    KissCaptureWriter kiss(folder / "pass1.kss");
    SampleCapture pass1(kiss, 6 * 3600 + 12 * 60);
    pass1.add(otherFrame(pass1.sequence(), 120, random));
    pass1.add(textFrame(pass1.sequence(), a->id(), a->description()));
    pass1.add(iconFrame(pass1.sequence(), iconA.id, iconA.bitmap));
    pass1.images(ImageKind::Thumbnail, *a, 6, 4);
    pass1.image(ImageKind::Thumbnail, *a, 4); // heard twice
    pass1.images(ImageKind::Thumbnail, *a, 3, 1);
    pass1.add(otherFrame(pass1.sequence(), 200, random));
    pass1.add(textFrame(pass1.sequence(), b->id(), b->description()));
    pass1.add(iconFrame(pass1.sequence(), iconB.id, iconB.bitmap));
    pass1.images(ImageKind::Thumbnail, *b, 9, 5);
    pass1.images(ImageKind::Puzzle, *b, 30, 15);
    pass1.add(otherFrame(pass1.sequence(), 30, random)); // too short to be kept
    pass1.add(otherFrame(pass1.sequence(), 90, random));
    pass1.add(otherFrame(pass1.sequence(), 400, random)); // too long to be kept
    kiss.close();

    MonitorTextWriter text(folder / "pass2.txt");
    SampleCapture pass2(text, 7 * 3600 + 48 * 60);
    pass2.add(otherFrame(pass2.sequence(), 150, random));
    pass2.add(textFrame(pass2.sequence(), b->id(), b->description()));
    pass2.images(ImageKind::Thumbnail, *b, 4, 1);
    pass2.image(ImageKind::Thumbnail, *b, 7); // again, from the next turn of the beacon
    pass2.images(ImageKind::Puzzle, *b, 14, 1);
    pass2.add(iconFrame(pass2.sequence(), iconA.id, iconA.bitmap));
    pass2.images(ImageKind::Puzzle, *b, 18, 16);
    pass2.add(otherFrame(pass2.sequence(), 100, random));
    text.close();

    HexFrameWriter hex(folder / "pass3.HEX");
    SampleCapture pass3(hex, 9 * 3600 + 25 * 60);
    pass3.add(textFrame(pass3.sequence(), c->id(), c->description()));
    pass3.add(iconFrame(pass3.sequence(), iconC.id, iconC.bitmap));
    pass3.images(ImageKind::Thumbnail, *c, 3, 1);
    pass3.add(textFrame(pass3.sequence(), a->id(), a->description()));
    pass3.add(otherFrame(pass3.sequence(), 80, random));
    hex.close();
}

} // namespace zelto::bench
