#include "decode/picture.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace zelto {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onFatalError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

// Warnings about damaged data are not shown; the picture is drawn as far as it decodes.
void onMessage(j_common_ptr, int) {}

} // namespace

QImage decodeJpeg(std::string_view bytes) {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;
    // Everything touched after setjmp is volatile-free: the image is only returned on success.
    QImage* volatile image = nullptr;
    if (setjmp(errors.jump)) {
        const int code = errors.base.msg_code;
        jpeg_destroy_decompress(&cinfo);
        delete image;
        throw RunError("JPEG error #" + std::to_string(code));
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&cinfo);
    image = new QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       QImage::Format_RGBX8888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    QImage result = std::move(*image);
    delete image;
    return result;
}

QImage decodeBitmap(std::string_view bytes) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), "BMP"))
        throw RunError("Bitmap image is not valid");
    return image;
}

QImage loadPicture(const std::filesystem::path& file, std::string_view listedName) {
    std::string bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const RunError&) {
        throw RunError("Cannot open file " + std::string(listedName));
    }
    const std::string extension = toUpperAscii(file.extension().string());
    if (extension == ".BMP")
        return decodeBitmap(bytes);
    if (extension == ".JPG" || extension == ".JPEG")
        return decodeJpeg(bytes);
    throw RunError("Unknown picture file extension (" + file.extension().string() + ")");
}

} // namespace zelto
