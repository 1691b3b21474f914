// Pictures for the panes: JPEG through libjpeg, with its message numbers, and BMP.
#include "picture/picture.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "core/text.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <memory>

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

namespace {

// Runs libjpeg over the bytes. A header it rejects throws "JPEG error #%d". Past the header,
// a fatal error ends the picture where it stands: it is drawn as far as it decodes.
QImage runJpeg(std::string_view bytes, bool headerOnly) {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;
    // Touched after setjmp, so volatile.
    QImage* volatile image = nullptr;
    volatile bool headerRead = false;
    if (setjmp(errors.jump)) {
        const int code = errors.base.msg_code;
        jpeg_destroy_decompress(&cinfo);
        std::unique_ptr<QImage> partial(image);
        if (!headerRead)
            throw RunError("JPEG error #" + std::to_string(code));
        return partial ? std::move(*partial) : QImage();
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    headerRead = true;
    if (headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    cinfo.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&cinfo);
    image = new QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       QImage::Format_RGBX8888);
    image->fill(Qt::white);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::unique_ptr<QImage> done(image);
    return std::move(*done);
}

} // namespace

void checkJpeg(std::string_view bytes) {
    runJpeg(bytes, true);
}

QImage decodeJpeg(std::string_view bytes) {
    return runJpeg(bytes, false);
}

Picture::Picture(QImage image) : image_(std::move(image)) {}

Picture Picture::jpeg(std::string bytes) {
    checkJpeg(bytes);
    Picture picture;
    picture.jpeg_ = std::make_shared<const std::string>(std::move(bytes));
    return picture;
}

const QImage& Picture::image() const {
    if (jpeg_) {
        image_ = decodeJpeg(*jpeg_);
        jpeg_.reset();
    }
    return image_;
}

QImage decodeBitmap(std::string_view bytes) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), "BMP"))
        throw RunError("Bitmap image is not valid");
    return image;
}

Picture loadPicture(const std::filesystem::path& file, std::string_view listedName) {
    std::string bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const RunError&) {
        throw RunError("Cannot open file " + std::string(listedName));
    }
    const std::string extension = toUpperAscii(file.extension().string());
    if (extension == ".BMP")
        return Picture(decodeBitmap(bytes));
    if (extension == ".JPG" || extension == ".JPEG")
        return Picture::jpeg(std::move(bytes));
    throw RunError("Unknown picture file extension (" + file.extension().string() + ")");
}

} // namespace zelto
