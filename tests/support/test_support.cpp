#include "support/test_support.h"

#include "core/file_io.h"
#include "core/run_error.h"
#include "picture/picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>
#include <fstream>
#include <jpeglib.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace zelto::test {

void FakePanes::reportAppendToLast(std::string_view text) {
    if (report.empty())
        report.emplace_back();
    report.back().append(text);
}

void FakePanes::listClear(ListPane l) {
    list(l).clear();
    selected[static_cast<int>(l)] = -1;
}

void FakePanes::listSelectLast(ListPane l) {
    selected[static_cast<int>(l)] = static_cast<int>(list(l).size()) - 1;
}

bool FakePanes::listHas(ListPane l, std::string_view entry) const {
    const auto& entries = lists[static_cast<int>(l)];
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

void FakePanes::listRemove(ListPane l, std::string_view entry) {
    auto& entries = list(l);
    if (const auto it = std::find(entries.begin(), entries.end(), entry); it != entries.end())
        entries.erase(it);
}

void FakePanes::showPicture(PicturePane pane, const fs::path& file, std::string_view listedName) {
    if (decodePictures)
        loadPicture(file, listedName);
    // A file just written is shown from its temporary name while it waits for its own: the
    // pane shows that file.
    const std::string waitingFor = nameOfPartial(file.filename().native());
    pictures[pane] = waitingFor.empty() ? file : file.parent_path() / waitingFor;
}

WorkFolder::WorkFolder() {
    path_ = freshTempPath("zelto-test-");
    fs::create_directories(path_ / "Thumbs");
    fs::create_directories(path_ / "Puzzles");
    writeFile(path_ / "ThumbList.txt", "");
    previousCurrent_ = fs::current_path();
    fs::current_path(path_);
    session.workFolder = path_;
}

WorkFolder::~WorkFolder() {
    std::error_code ec;
    fs::current_path(previousCurrent_, ec);
    fs::remove_all(path_, ec);
}

NestedWorkFolder::NestedWorkFolder() {
    root_ = freshTempPath("zelto-nest-");
    work_ = root_ / "work";
    captures_ = root_ / "captures";
    fs::create_directories(captures_);
    previousCurrent_ = fs::current_path();
    prepare();
}

NestedWorkFolder::~NestedWorkFolder() {
    std::error_code ec;
    fs::current_path(previousCurrent_, ec);
    fs::remove_all(root_, ec);
}

void NestedWorkFolder::prepare() {
    fs::create_directories(work_ / "Thumbs");
    fs::create_directories(work_ / "Puzzles");
    writeFile(work_ / "ThumbList.txt", "");
    fs::current_path(work_);
    session.workFolder = work_;
}

std::vector<std::string> NestedWorkFolder::outside() const {
    std::vector<std::string> entries;
    for (const std::string& entry : treeOf(root_))
        if (entry != "work/" && !entry.starts_with("work/"))
            entries.push_back(entry);
    return entries;
}

fs::path freshTempPath(const std::string& prefix) {
    static int counter = 0;
    fs::path path = fs::temp_directory_path() /
                    (prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path); // left by an earlier run that had this process ID
    return path;
}

std::vector<std::string> treeOf(const fs::path& folder) {
    std::vector<std::string> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().lexically_relative(folder).string();
        std::error_code typeError;
        if (it->is_symlink(typeError))
            entry += " -> " + fs::read_symlink(it->path(), typeError).string();
        else if (it->is_directory(typeError))
            entry += "/";
        else
            entry += " " + std::to_string(it->file_size(typeError));
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RunError& e) {
        return e.what();
    }
    return "";
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> listFolder(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string hexTokens(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
        out.push_back(' ');
    }
    return out;
}

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

namespace {
std::string frameHeader(int b3, int b4, int b5, std::size_t size) {
    std::string f(size, '\0');
    f[3] = static_cast<char>(b3);
    f[4] = static_cast<char>(b4);
    f[5] = static_cast<char>(b5);
    return f;
}
void put16(std::string& f, std::size_t at, int value) {
    f[at] = static_cast<char>(value & 0xFF);
    f[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
} // namespace

std::string textFrameWithLength(std::string_view id4, std::string_view description,
                                int lengthField) {
    std::string f = frameHeader(0x86, 0x82, 0x05, 110);
    put16(f, 6, lengthField);
    f.replace(8, description.size(), description);
    f.replace(98, 4, id4);
    return f;
}

std::string textFrame(std::string_view id4, std::string_view description) {
    return textFrameWithLength(id4, description, static_cast<int>(description.size()) + 1);
}

std::string iconFrame(std::string_view id4, std::string_view bitmap) {
    std::string f = frameHeader(0x85, 0x82, 0x02, std::max<std::size_t>(116, 8 + bitmap.size()));
    put16(f, 6, static_cast<int>(bitmap.size()));
    f.replace(108, 4, id4);
    f.replace(8, bitmap.size(), bitmap);
    return f;
}

std::string imageFrame(ImageKind kind, std::string_view id4, int imageSize, int frameNumber,
                       std::string_view payload) {
    std::string f = frameHeader(0x85, 0x82, kind == ImageKind::Thumbnail ? 0x04 : 0x03, 215);
    f.replace(6, 4, id4);
    f[10] = static_cast<char>(imageSize % 200);
    put16(f, 11, imageSize);
    put16(f, 13, frameNumber);
    f.replace(15, payload.size(), payload);
    return f;
}

std::vector<std::string> imageFrames(ImageKind kind, std::string_view id4, std::string_view image) {
    const int size = static_cast<int>(image.size());
    const int count = size / 200 + 1;
    std::vector<std::string> frames;
    for (int f = count; f >= 1; --f) {
        const std::size_t offset = static_cast<std::size_t>(count - f) * 200;
        frames.push_back(imageFrame(kind, id4, size, f, image.substr(offset, 200)));
    }
    return frames;
}

std::string hexFile(const std::vector<std::string>& frames) {
    std::string out;
    for (const auto& f : frames)
        out += hexTokens(f) + "\r\n";
    return out;
}

std::string idText(std::string_view id4) {
    std::string t = hexTokens(id4);
    t.pop_back();
    return t;
}

namespace {
std::string noiseJpeg(int width, int height, int seed, unsigned restartInterval) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 75, TRUE);
    cinfo.restart_interval = restartInterval;
    jpeg_start_compress(&cinfo, TRUE);
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (auto& v : row)
            v = static_cast<unsigned char>(rng() & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}
} // namespace

std::string smallJpeg(int width, int height, int seed) {
    return noiseJpeg(width, height, seed, 0);
}

std::string jpegWithRestarts(int width, int height, int seed, int restartInterval) {
    return noiseJpeg(width, height, seed, static_cast<unsigned>(restartInterval));
}

bool pumpEventsUntil(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 20000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

std::string smallBmp(int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.fill(1);
    for (int i = 0; i < std::min(width, height); ++i)
        image.setPixel(i, i, 0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace zelto::test
