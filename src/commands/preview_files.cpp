#include "commands/preview_files.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"
#include "picture/preview.h"
#include "store/frame_store.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zelto {

namespace fs = std::filesystem;

namespace {

constexpr long kMostFrames = 65535 / 200 + 1;

// Four hex tokens with single blanks between them, as the decoding pass names images: no
// path can come out of it.
bool isImageId(std::string_view id) {
    if (id.size() != 11)
        return false;
    for (std::size_t i = 0; i < id.size(); ++i)
        if (i % 3 == 2 ? id[i] != ' ' : !std::isxdigit(static_cast<unsigned char>(id[i])))
            return false;
    return true;
}

struct ImageFolder {
    std::string prefix; // "thumb " or "puzzl "
    std::string id;
    long frameCount = 0;
    fs::path path;
};

// The image folders of one store folder that the decoding pass could have made; others (made
// by hand, unfinished, hidden) are passed over.
void addImageFolders(const fs::path& store, const std::string& prefix,
                     std::vector<ImageFolder>& folders) {
    std::error_code ec;
    for (fs::directory_iterator it(store, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        const std::string id(chars(name, 1, 11));
        const std::string digits(chars(name, 15, 3));
        if (!isImageId(id) || digits.empty() ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long frameCount = std::stol(digits);
        if (frameCount < 1 || frameCount > kMostFrames || imageFolderName(id, frameCount) != name)
            continue;
        folders.push_back({prefix, id, frameCount, it->path()});
    }
}

} // namespace

void writePreviewFiles(const fs::path& workFolder, const fs::path& folder) {
    std::vector<ImageFolder> images;
    addImageFolders(workFolder / "Thumbs", "thumb ", images);
    addImageFolders(workFolder / "Puzzles", "puzzl ", images);
    // Names in the store are told apart without regard to letter case.
    std::map<std::string, int> sizesOfId;
    for (const ImageFolder& image : images)
        ++sizesOfId[image.prefix + toUpperAscii(image.id)];
    std::sort(images.begin(), images.end(), [](const ImageFolder& a, const ImageFolder& b) {
        return std::tie(a.prefix, a.id, a.frameCount) < std::tie(b.prefix, b.id, b.frameCount);
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
        std::string name = image.prefix + image.id;
        if (sizesOfId[image.prefix + toUpperAscii(image.id)] > 1)
            name += " " + std::to_string(image.frameCount);
        writeWholeFile((folder / (name + ".png")).string(), pngBytes(shown.preview.image));
    }
}

} // namespace zelto
