// Previews of images not yet complete. libjpeg reads the coefficients of what has arrived;
// the MCUs decoded from received bytes alone are kept, every other one is cleared, and the
// result is written out as a complete JPEG and decoded as the viewer decodes any file. What
// was not received is painted grey.
#include "picture/preview.h"

#include "core/run_error.h"
#include "picture/jpeg_scan.h"
#include "picture/picture.h"
#include "store/store_layout.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>

namespace zelto {

namespace {

constexpr auto kFrameBytes = static_cast<std::size_t>(StoreLayout::kSliceBytes);
// A JPEG of at most 65535 bytes that claims more is not worth the memory.
constexpr long long kLargestPicture = 4096LL * 4096;
constexpr long kLibjpegMemory = 512L << 20;

std::string headerMissingText(long frameCount) {
    return "No preview yet: the header frame (frame " + std::to_string(frameCount) +
           ", the first of the file) has not arrived";
}

Preview noPicture(std::string reason) {
    return Preview{QImage(), std::move(reason)};
}

// libjpeg can accept a header and still give no row at all.
Preview pictureOf(QImage image) {
    if (image.isNull())
        return noPicture("No preview: the JPEG data after its header cannot be decoded");
    return Preview{std::move(image), {}};
}

// Frames that follow each other in the file, joined: frame f of N starts at (N - f) * 200.
struct Piece {
    std::size_t begin = 0;
    std::string bytes;
};

std::vector<Piece> piecesOf(const PresentFrames& frames, long frameCount) {
    std::vector<Piece> pieces;
    long next = 0; // the frame number that would continue the last piece
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        const long f = it->first;
        if (f < 1 || f > frameCount || !StoreLayout::isWholeFrameFile(f, it->second.size()))
            continue;
        if (pieces.empty() || f != next)
            pieces.push_back({static_cast<std::size_t>(frameCount - f) * kFrameBytes, {}});
        pieces.back().bytes += it->second;
        next = f - 1;
    }
    return pieces;
}

// libjpeg's fatal errors jump back to the caller of guarded().
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onFatalError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings about damaged data say nothing here: damaged data decodes in the preview as in
// the whole file.
void onMessage(j_common_ptr, int) {}

// Runs libjpeg calls; false when a fatal error ended them, its code then in errors. The jump
// passes over the calls' frames, so they must own nothing that needs destroying.
template <typename Calls> bool guarded(ErrorManager& errors, const Calls& calls) {
    if (setjmp(errors.jump))
        return false;
    calls();
    return true;
}

std::string jpegErrorText(const ErrorManager& errors) {
    return "No preview: JPEG error #" + std::to_string(errors.base.msg_code);
}

// Bytes in memory. When the decoder asks for more than there are, the number of iMCU rows
// it has completed is noted (every one of them decoded from these bytes alone) and it gets
// an end of image.
struct Source {
    jpeg_source_mgr base; // first: libjpeg's pointer to it points to the whole
    bool ranDry;
    JDIMENSION rowsBeforeDry;
};

void initSource(j_decompress_ptr) {}

boolean fillSource(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<Source*>(cinfo->src);
    if (!source->ranDry) {
        source->ranDry = true;
        source->rowsBeforeDry = cinfo->input_iMCU_row;
    }
    static const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};
    source->base.next_input_byte = kEndOfImage;
    source->base.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void skipSource(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        fillSource(cinfo);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

void termSource(j_decompress_ptr) {}

struct Decompression {
    jpeg_decompress_struct cinfo{};
    Source source{};
    jvirt_barray_ptr* coefficients = nullptr;

    explicit Decompression(ErrorManager& errors) { cinfo.err = &errors.base; }
    ~Decompression() { jpeg_destroy_decompress(&cinfo); }
    Decompression(const Decompression&) = delete;
    Decompression& operator=(const Decompression&) = delete;

    // Inside guarded(); the bytes must outlive the object.
    void readHeader(std::string_view bytes) {
        jpeg_create_decompress(&cinfo);
        cinfo.mem->max_memory_to_use = kLibjpegMemory;
        source.base.next_input_byte = reinterpret_cast<const JOCTET*>(bytes.data());
        source.base.bytes_in_buffer = bytes.size();
        source.base.init_source = initSource;
        source.base.fill_input_buffer = fillSource;
        source.base.skip_input_data = skipSource;
        source.base.resync_to_restart = jpeg_resync_to_restart;
        source.base.term_source = termSource;
        cinfo.src = &source.base;
        jpeg_read_header(&cinfo, TRUE);
    }
    // Inside guarded().
    void readCoefficients() {
        coefficients = jpeg_read_coefficients(&cinfo);
        if (coefficients == nullptr)
            ERREXIT(&cinfo, JERR_CANT_SUSPEND);
    }
};

// A growing buffer in memory for a JPEG being written.
struct Destination {
    jpeg_destination_mgr base; // first, as for Source
    unsigned char* data;
    std::size_t capacity;
    std::size_t size;
};

void growDestination(j_compress_ptr cinfo, std::size_t capacity) {
    auto* destination = reinterpret_cast<Destination*>(cinfo->dest);
    auto* bigger = static_cast<unsigned char*>(std::realloc(destination->data, capacity));
    if (bigger == nullptr)
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    const std::size_t used = destination->capacity;
    destination->data = bigger;
    destination->capacity = capacity;
    destination->base.next_output_byte = bigger + used;
    destination->base.free_in_buffer = capacity - used;
}

void initDestination(j_compress_ptr cinfo) {
    growDestination(cinfo, std::size_t(1) << 16);
}

boolean emptyDestination(j_compress_ptr cinfo) {
    growDestination(cinfo, reinterpret_cast<Destination*>(cinfo->dest)->capacity * 2);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<Destination*>(cinfo->dest);
    destination->size = destination->capacity - destination->base.free_in_buffer;
}

struct Compression {
    jpeg_compress_struct cinfo{};
    Destination destination{};

    explicit Compression(ErrorManager& errors) { cinfo.err = &errors.base; }
    ~Compression() {
        jpeg_destroy_compress(&cinfo);
        std::free(destination.data);
    }
    Compression(const Compression&) = delete;
    Compression& operator=(const Compression&) = delete;

    // Inside guarded(): the coefficients of `from` as a JPEG file of the same header.
    void write(Decompression& from) {
        jpeg_create_compress(&cinfo);
        destination.base.init_destination = initDestination;
        destination.base.empty_output_buffer = emptyDestination;
        destination.base.term_destination = termDestination;
        cinfo.dest = &destination.base;
        jpeg_copy_critical_parameters(&from.cinfo, &cinfo);
        jpeg_write_coefficients(&cinfo, from.coefficients);
        jpeg_finish_compress(&cinfo);
    }
    std::string_view bytes() const {
        return {reinterpret_cast<const char*>(destination.data), destination.size};
    }
};

// The MCUs of a scan in which every component takes part: where their blocks lie in each
// component's coefficients and which pixels they cover.
struct McuGrid {
    bool interleaved = true;
    long across = 0;
    long down = 0;
    long rowsPerIMcuRow = 1; // MCU rows that libjpeg counts as one iMCU row
    int pixelWidth = 8;
    int pixelHeight = 8;
    // Upsampled chroma reaches one pixel into the neighbouring MCU across and down.
    int reachAcross = 0;
    int reachDown = 0;
    long count() const { return across * down; }
};

long divideRoundingUp(long a, long b) {
    return (a + b - 1) / b;
}

McuGrid gridOf(const jpeg_decompress_struct& cinfo) {
    McuGrid grid;
    if (cinfo.num_components == 1) {
        const jpeg_component_info& only = cinfo.comp_info[0];
        grid.interleaved = false;
        grid.across = static_cast<long>(only.width_in_blocks);
        grid.down = static_cast<long>(only.height_in_blocks);
        grid.rowsPerIMcuRow = only.v_samp_factor;
        return grid;
    }
    grid.pixelWidth = DCTSIZE * cinfo.max_h_samp_factor;
    grid.pixelHeight = DCTSIZE * cinfo.max_v_samp_factor;
    grid.across = divideRoundingUp(static_cast<long>(cinfo.image_width), grid.pixelWidth);
    grid.down = divideRoundingUp(static_cast<long>(cinfo.image_height), grid.pixelHeight);
    for (int c = 0; c < cinfo.num_components; ++c) {
        if (cinfo.comp_info[c].h_samp_factor < cinfo.max_h_samp_factor)
            grid.reachAcross = 1;
        if (cinfo.comp_info[c].v_samp_factor < cinfo.max_v_samp_factor)
            grid.reachDown = 1;
    }
    return grid;
}

// The length of the shortest code of a Huffman table, 1 for a table not at hand.
int shortestCode(const JHUFF_TBL* table) {
    if (table != nullptr)
        for (int length = 1; length <= 16; ++length)
            if (table->bits[length] != 0)
                return length;
    return 1;
}

// The fewest bits an MCU can take: each block holds at least the shortest code of its DC
// table and the shortest of its AC table (an end of block or a first coefficient).
long fewestMcuBits(const jpeg_decompress_struct& cinfo, const McuGrid& grid) {
    long bits = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& component = cinfo.comp_info[c];
        const auto tableNumber = [](int n) { return n >= 0 && n < NUM_HUFF_TBLS ? n : 0; };
        const long block = shortestCode(cinfo.dc_huff_tbl_ptrs[tableNumber(component.dc_tbl_no)]) +
                           shortestCode(cinfo.ac_huff_tbl_ptrs[tableNumber(component.ac_tbl_no)]);
        bits +=
            grid.interleaved ? block * component.h_samp_factor * component.v_samp_factor : block;
    }
    return bits;
}

// Inside guarded(): the blocks of MCU `to` in `into` become those of MCU `from` in `source`,
// or zero without a source.
void setMcuBlocks(Decompression& into, long to, Decompression* source, long from,
                  const McuGrid& grid) {
    for (int c = 0; c < into.cinfo.num_components; ++c) {
        const jpeg_component_info& component = into.cinfo.comp_info[c];
        const long wide = grid.interleaved ? component.h_samp_factor : 1;
        const long high = grid.interleaved ? component.v_samp_factor : 1;
        for (long r = 0; r < high; ++r) {
            const auto row = [&](Decompression& d, long mcu, boolean writable) {
                const auto blockRow = static_cast<JDIMENSION>(mcu / grid.across * high + r);
                JBLOCKARRAY rows =
                    (*d.cinfo.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&d.cinfo),
                                                       d.coefficients[c], blockRow, 1, writable);
                return rows[0] + mcu % grid.across * wide;
            };
            JBLOCKROW target = row(into, to, TRUE);
            const std::size_t bytes = sizeof(JBLOCK) * static_cast<std::size_t>(wide);
            if (source == nullptr)
                std::memset(target, 0, bytes);
            else
                std::memcpy(target, row(*source, from, FALSE), bytes);
        }
    }
}

// How many MCUs from the start of a decoded stream came from its bytes alone.
long mcusDecoded(const Decompression& d, const McuGrid& grid, long completeIntervals,
                 long restartInterval) {
    if (!d.source.ranDry)
        return grid.count();
    const long rows = static_cast<long>(d.source.rowsBeforeDry) * grid.rowsPerIMcuRow;
    return std::min(grid.count(),
                    std::max(rows * grid.across, completeIntervals * restartInterval));
}

// The header of the file, then the data after the stretch's first restart marker, its
// later markers numbered again from 0: decoded on its own, it gives the MCUs that follow
// that marker, from the first of the stream on.
std::string streamAfterMarker(std::string_view header, const Piece& piece,
                              const ScanStretch& stretch) {
    const std::size_t from = stretch.markers.front().position + 2 - piece.begin;
    const std::size_t to =
        std::min(piece.bytes.size(), stretch.end - piece.begin + (stretch.endsScan ? 2 : 0));
    std::string stream(header);
    const std::size_t dataStart = stream.size();
    stream.append(piece.bytes, from, to - from);
    for (std::size_t j = 1; j < stretch.markers.size(); ++j)
        stream[dataStart + stretch.markers[j].position - piece.begin - from + 1] =
            static_cast<char>(JPEG_RST0 + (j - 1) % 8);
    return stream;
}

// Grey over every MCU not decoded, and over the pixels beside it that its chroma reaches.
void paintUndecoded(QImage& image, const std::vector<char>& decoded, const McuGrid& grid) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QColor grey = QColor::fromRgb(kPreviewGrey);
    for (long m = 0; m < grid.count(); ++m) {
        if (decoded[static_cast<std::size_t>(m)])
            continue;
        const int x = static_cast<int>(m % grid.across) * grid.pixelWidth;
        const int y = static_cast<int>(m / grid.across) * grid.pixelHeight;
        painter.fillRect(x - grid.reachAcross, y - grid.reachDown,
                         grid.pixelWidth + 2 * grid.reachAcross,
                         grid.pixelHeight + 2 * grid.reachDown, grey);
    }
}

Preview decodeIncomplete(const std::vector<Piece>& pieces, long frameCount) {
    const Piece& prefix = pieces.front();
    ErrorManager errors{};
    jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;

    Decompression first(errors);
    const bool headerRead = guarded(errors, [&] { first.readHeader(prefix.bytes); });
    if (first.source.ranDry) {
        // Short of the whole file, the frames from the start are whole 200-byte frames.
        const long wanted = frameCount - static_cast<long>(prefix.bytes.size() / kFrameBytes);
        return noPicture("No preview yet: frame " + std::to_string(wanted) +
                         " holds more of the JPEG header and has not arrived");
    }
    if (!headerRead)
        return noPicture(jpegErrorText(errors));
    const jpeg_decompress_struct& header = first.cinfo;
    if (header.progressive_mode || header.comps_in_scan != header.num_components)
        return noPicture("No preview: a JPEG in several scans shows nothing for certain before "
                         "all its frames are in");
    if (static_cast<long long>(header.image_width) * header.image_height > kLargestPicture)
        return noPicture("No preview: the picture is too large");
    const std::size_t scanStart = prefix.bytes.size() - header.src->bytes_in_buffer;
    if (!guarded(errors, [&] { first.readCoefficients(); }))
        return noPicture(jpegErrorText(errors));

    const McuGrid grid = gridOf(header);
    const long total = grid.count();
    const long interval = static_cast<long>(header.restart_interval);
    std::vector<char> decoded(static_cast<std::size_t>(total), 0);

    // Arithmetic coding can spend less than a bit on a block, so the bytes between markers
    // would bound nothing.
    std::vector<ScanStretch> stretches;
    std::vector<std::optional<long>> indices;
    if (interval > 0 && !header.arith_code) {
        stretches.push_back(
            readScanStretch(std::string_view(prefix.bytes).substr(scanStart), scanStart));
        for (std::size_t p = 1; p < pieces.size() && !stretches.back().endsScan; ++p)
            stretches.push_back(readScanStretch(pieces[p].bytes, pieces[p].begin));
        const long fewestBytes = divideRoundingUp(interval * fewestMcuBits(header, grid), 8);
        indices = restartIndices(stretches, divideRoundingUp(total, interval),
                                 static_cast<std::size_t>(fewestBytes) + 2);
    }

    const long prefixIntervals =
        !indices.empty() && indices[0] ? static_cast<long>(stretches[0].markers.size()) : 0;
    std::fill_n(decoded.begin(), mcusDecoded(first, grid, prefixIntervals, interval), 1);

    const std::string_view headerBytes(prefix.bytes.data(), scanStart);
    for (std::size_t s = 1; s < stretches.size(); ++s) {
        if (!indices[s])
            continue;
        const long start = (*indices[s] + 1) * interval;
        if (start >= total)
            continue;
        const std::string stream = streamAfterMarker(headerBytes, pieces[s], stretches[s]);
        Decompression band(errors);
        if (!guarded(errors, [&] {
                band.readHeader(stream);
                band.readCoefficients();
            }))
            continue;
        const long bandIntervals = static_cast<long>(stretches[s].markers.size()) - 1;
        const long count =
            std::min(total - start, mcusDecoded(band, grid, bandIntervals, interval));
        if (!guarded(errors, [&] {
                for (long j = 0; j < count; ++j)
                    setMcuBlocks(first, start + j, &band, j, grid);
            }))
            continue;
        std::fill_n(decoded.begin() + start, count, 1);
    }

    Compression joined(errors);
    if (!guarded(errors, [&] {
            for (long m = 0; m < total; ++m)
                if (!decoded[static_cast<std::size_t>(m)])
                    setMcuBlocks(first, m, nullptr, 0, grid);
            joined.write(first);
        }))
        return noPicture(jpegErrorText(errors));
    QImage image = decodeJpeg(joined.bytes());
    if (!image.isNull())
        paintUndecoded(image, decoded, grid);
    return pictureOf(std::move(image));
}

} // namespace

Preview decodePreview(const PresentFrames& frames, long frameCount) {
    if (frameCount < 1 || !frames.contains(frameCount))
        return noPicture(headerMissingText(frameCount));
    const std::vector<Piece> pieces = piecesOf(frames, frameCount);
    if (pieces.empty() || pieces.front().begin != 0)
        return noPicture(headerMissingText(frameCount));
    long present = 0;
    for (const auto& [number, bytes] : frames)
        if (number >= 1 && number <= frameCount &&
            StoreLayout::isWholeFrameFile(number, bytes.size()))
            ++present;
    try {
        // Every frame in: the picture is the file itself, as the viewer shows it.
        if (present == frameCount)
            return pictureOf(decodeJpeg(pieces.front().bytes));
        return decodeIncomplete(pieces, frameCount);
    } catch (const RunError& error) {
        return noPicture(std::string("No preview: ") + error.what());
    }
}

FolderPreview previewOfImageFolder(const std::filesystem::path& imageFolder, long frameCount) {
    FolderPreview result;
    try {
        result.frames = presentFrames(imageFolder, frameCount);
    } catch (const RunError& error) {
        result.preview = noPicture(std::string("No preview: ") + error.what());
        return result;
    }
    result.preview = decodePreview(*result.frames, frameCount);
    return result;
}

std::string pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace zelto
