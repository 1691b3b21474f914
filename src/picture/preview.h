#pragma once

#include "store/frame_store.h"

#include <QImage>

#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// What can be shown of an image before its last frame has arrived.
struct Preview {
    QImage image;       // null when nothing can be shown
    std::string reason; // then why, for the operator
};

// The neutral grey of everything not decoded from received frames.
inline constexpr QRgb kPreviewGrey = 0xFF808080;

// The preview of an image of `frameCount` frames from the frames present. The frames from the
// first of the file on, as far as they follow each other, are decoded as the viewer decodes
// the whole file, so the rows they give are the image's own rows. Where the JPEG has restart
// markers, the data after a gap is decoded from a marker whose place in the scan is certain,
// and its MCUs go to their place. Everything else is grey. An image whose first frame (its
// header) is missing, or whose JPEG header libjpeg rejects, has no picture but a reason.
Preview decodePreview(const PresentFrames& frames, long frameCount);

// An image folder of the frame store: the frames present and their preview. A frame file
// that cannot be read leaves no frames and is told as the reason: a preview never ends a
// command.
struct FolderPreview {
    std::optional<PresentFrames> frames;
    Preview preview;
};
FolderPreview previewOfImageFolder(const std::filesystem::path& imageFolder, long frameCount);

// A picture as PNG file bytes.
std::string pngBytes(const QImage& image);

} // namespace zelto
