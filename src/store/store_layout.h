#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// The two kinds of image the store keeps slices of.
enum class ImageKind { Thumbnail, Puzzle };

// How the working folder keeps images: the geometry of an image's frames, the store folders
// with one image folder per image, the frame files in them and the joined image files. Every
// name and size of the store is made here and nowhere else.
class StoreLayout {
  public:
    // Every frame of an image but frame 1 carries a slice of this many bytes; frame 1 carries
    // the remainder, whose length is a one-byte field.
    static constexpr long kSliceBytes = 200;
    static constexpr long kLongestRemainder = 255;
    // Four frame bytes as tokens with single blanks between them: "5D 92 C4 2B".
    static constexpr std::size_t kImageIdLength = 11;

    explicit StoreLayout(std::filesystem::path workFolder) : workFolder_(std::move(workFolder)) {}

    // "Thumbs" and "Puzzles", and where they stand.
    static std::string_view storeFolderName(ImageKind kind);
    std::filesystem::path storeFolder(ImageKind kind) const;
    std::filesystem::path imageFolder(ImageKind kind, std::string_view folderName) const;

    // Frames of an image of `imageSize` bytes: size div 200 + 1, numbered down to 1.
    static constexpr long frameCountOfImage(long imageSize) { return imageSize / kSliceBytes + 1; }
    // The bytes frame `frameNumber` carries: a slice above frame 1, else the remainder.
    static constexpr long payloadLength(long frameNumber, long remainder) {
        return frameNumber > 1 ? kSliceBytes : remainder;
    }
    // Whether a frame file of this size holds its whole frame: every frame above the first
    // carries exactly a slice; frame 1 (or 0) the remainder, at most 255 bytes. A frame file
    // of another size was cut short (by a power cut, say) and does not hold the frame.
    static bool isWholeFrameFile(long frameNumber, std::uintmax_t size);

    // Image folder: image ID + " . " + frame count.
    static std::string imageFolderName(std::string_view imageId, long frameCount);
    // The image ID of an image folder name (its first 11 characters).
    static std::string_view imageIdOfFolder(std::string_view folderName);
    // The frame count written in an image folder name (characters 15 to 17, decimal);
    // fails with "'%s' is not a valid integer value".
    static long frameCountOfFolder(std::string_view folderName);

    // Frame file of a frame number: low byte, blank, high byte in upper-case hex, ".bin"
    // (300 gives "2C 01.bin").
    static std::string frameFileName(long frameNumber);
    // The frame number a frame file name stands for ("2C 01.bin" gives 300), letter case
    // aside; none for a name of another form.
    static std::optional<long> frameNumberOfFileName(std::string_view fileName);

    // The joined image in the working folder: "thumb " or "puzzl " + image ID + ".jpg". Both
    // prefixes have six characters, so the ID stands at characters 7 to 17 of either name.
    static std::string imageFileName(ImageKind kind, std::string_view imageId);
    // The same without ".jpg": how the window names an image ("thumb 0A 1B 2C 3D").
    static std::string imageName(ImageKind kind, std::string_view imageId);
    static constexpr std::size_t kImageFilePrefixLength = 6;

  private:
    std::filesystem::path workFolder_;
};

} // namespace zelto
