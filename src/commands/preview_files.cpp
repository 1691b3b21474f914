// Zeltodecoder-batch --previews: a PNG preview of every incomplete image in the store.
#include "commands/preview_files.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"
#include "picture/preview.h"
#include "store/frame_store.h"
#include "store/store_layout.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

constexpr long kMostFrames = StoreLayout::frameCountOfImage(65535);

// Four hex tokens with single blanks between them, as the decoding pass names images: no
// path can come out of it.
bool isImageId(std::string_view id) {
    if (id.size() != StoreLayout::kImageIdLength)
        return false;
    for (std::size_t i = 0; i < id.size(); ++i)
        if (i % 3 == 2 ? id[i] != ' ' : !std::isxdigit(static_cast<unsigned char>(id[i])))
            return false;
    return true;
}

struct ImageFolder {
    std::string name; // "thumb ID" or "puzzl ID"
    std::string id;
    long frameCount = 0;
    fs::path path;
};

// The image folders of one store folder that the decoding pass could have made; others (made
// by hand, unfinished, hidden) are passed over.
void addImageFolders(const StoreLayout& layout, ImageKind kind, std::vector<ImageFolder>& folders) {
    std::error_code ec;
    for (fs::directory_iterator it(layout.storeFolder(kind), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        const std::string id(StoreLayout::imageIdOfFolder(name));
        const std::string digits(chars(name, StoreLayout::kImageIdLength + 4, 3));
        if (!isImageId(id) || digits.empty() ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long frameCount = std::stol(digits);
        if (frameCount < 1 || frameCount > kMostFrames ||
            StoreLayout::imageFolderName(id, frameCount) != name)
            continue;
        folders.push_back({StoreLayout::imageName(kind, id), id, frameCount, it->path()});
    }
}

} // namespace

void writePreviewFiles(const fs::path& workFolder, const fs::path& folder) {
    std::vector<ImageFolder> images;
    const StoreLayout layout(workFolder);
    addImageFolders(layout, ImageKind::Thumbnail, images);
    addImageFolders(layout, ImageKind::Puzzle, images);
    // Names in the store are told apart without regard to letter case.
    std::map<std::string, int> sizesOfId;
    for (const ImageFolder& image : images)
        ++sizesOfId[toUpperAscii(image.name)];
    std::sort(images.begin(), images.end(), [](const ImageFolder& a, const ImageFolder& b) {
        return std::tie(a.name, a.frameCount) < std::tie(b.name, b.frameCount);
    });

    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throwIoError(ec.value());
    for (const ImageFolder& image : images) {
        const FolderPreview shown = previewOfImageFolder(image.path, image.frameCount);
        const bool complete =
            shown.frames && static_cast<long>(shown.frames->size()) == image.frameCount;
        if (complete || shown.preview.image.isNull())
            continue;
        std::string name = image.name;
        if (sizesOfId[toUpperAscii(image.name)] > 1)
            name += " " + std::to_string(image.frameCount);
        writeWholeFile((folder / (name + ".png")).string(), pngBytes(shown.preview.image));
    }
}

} // namespace zelto
