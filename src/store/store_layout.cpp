// The names and sizes of the store: store folders, image folders, frame files, image files.
#include "store/store_layout.h"

#include "core/text.h"

namespace zelto {

std::string_view StoreLayout::storeFolderName(ImageKind kind) {
    return kind == ImageKind::Thumbnail ? "Thumbs" : "Puzzles";
}

std::filesystem::path StoreLayout::storeFolder(ImageKind kind) const {
    return workFolder_ / storeFolderName(kind);
}

std::filesystem::path StoreLayout::imageFolder(ImageKind kind, std::string_view folderName) const {
    return storeFolder(kind) / folderName;
}

bool StoreLayout::isWholeFrameFile(long frameNumber, std::uintmax_t size) {
    return frameNumber <= 1 ? size <= static_cast<std::uintmax_t>(kLongestRemainder)
                            : size == static_cast<std::uintmax_t>(kSliceBytes);
}

std::string StoreLayout::imageFolderName(std::string_view imageId, long frameCount) {
    return std::string(imageId) + " . " + std::to_string(frameCount);
}

std::string_view StoreLayout::imageIdOfFolder(std::string_view folderName) {
    return chars(folderName, 1, kImageIdLength);
}

long StoreLayout::frameCountOfFolder(std::string_view folderName) {
    return toInteger(chars(folderName, kImageIdLength + 4, 3));
}

std::string StoreLayout::frameFileName(long frameNumber) {
    std::string name;
    appendHexByte(name, static_cast<unsigned char>(frameNumber & 0xFF));
    name.push_back(' ');
    appendHexByte(name, static_cast<unsigned char>((frameNumber >> 8) & 0xFF));
    return name + ".bin";
}

std::optional<long> StoreLayout::frameNumberOfFileName(std::string_view name) {
    if (name.size() != 9 || name[2] != ' ' || toUpperAscii(name.substr(5)) != ".BIN")
        return std::nullopt;
    long number = 0;
    // Low byte first: characters 1-2 are the low byte, 4-5 the high byte.
    for (const std::size_t at : {3, 4, 0, 1}) {
        const int digit = hexDigitValue(name[at]);
        if (digit < 0)
            return std::nullopt;
        number = number * 16 + digit;
    }
    return number;
}

std::string StoreLayout::imageName(ImageKind kind, std::string_view imageId) {
    return (kind == ImageKind::Thumbnail ? "thumb " : "puzzl ") + std::string(imageId);
}

std::string StoreLayout::imageFileName(ImageKind kind, std::string_view imageId) {
    return imageName(kind, imageId) + ".jpg";
}

} // namespace zelto
