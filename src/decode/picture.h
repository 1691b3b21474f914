#pragma once

#include <QImage>

#include <filesystem>
#include <string_view>

namespace zelto {

// Loads a picture file by its extension, as the picture panes show it: ".bmp" as a bitmap,
// ".jpg" or ".jpeg" as a JPEG decoded with libjpeg. Throws RunError with
// "Cannot open file %s" (listedName in place of %s), "Bitmap image is not valid" or
// "JPEG error #%d". JPEG warnings (corrupt data after a valid header) are not errors: the
// picture holds what the decoder recovered.
QImage loadPicture(const std::filesystem::path& file, std::string_view listedName);

// Decodes JPEG bytes with libjpeg; throws "JPEG error #%d" on a fatal decoder error.
QImage decodeJpeg(std::string_view bytes);

// Reads bitmap bytes; throws "Bitmap image is not valid".
QImage decodeBitmap(std::string_view bytes);

} // namespace zelto
