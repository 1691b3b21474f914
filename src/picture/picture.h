#pragma once

#include <QImage>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zelto {

// A picture as a pane holds it. A bitmap is decoded when loaded; a JPEG has its header read
// when loaded and is decoded when first drawn, so a command that shows many pictures in
// turn decodes only the one left on show.
class Picture {
  public:
    Picture() = default;
    explicit Picture(QImage image);
    // Reads the header now; throws "JPEG error #%d" when libjpeg rejects it.
    static Picture jpeg(std::string bytes);

    bool isNull() const { return !jpeg_ && image_.isNull(); }
    const QImage& image() const;

  private:
    mutable QImage image_;
    mutable std::shared_ptr<const std::string> jpeg_; // bytes not decoded yet
};

// Loads a picture file by its extension, as the picture panes show it: ".bmp" as a bitmap,
// ".jpg" or ".jpeg" as a JPEG read with libjpeg. Throws RunError with "Cannot open file %s"
// (listedName in place of %s), "Bitmap image is not valid" or "JPEG error #%d".
Picture loadPicture(const std::filesystem::path& file, std::string_view listedName);

// Checks the header of JPEG bytes with libjpeg; throws "JPEG error #%d" when it is rejected.
void checkJpeg(std::string_view bytes);

// Decodes JPEG bytes with libjpeg. A header it rejects throws "JPEG error #%d"; warnings and
// fatal errors past the header are not shown: the picture holds what decoded.
QImage decodeJpeg(std::string_view bytes);

// Reads bitmap bytes; throws "Bitmap image is not valid".
QImage decodeBitmap(std::string_view bytes);

} // namespace zelto
