// zelto-floor: the least work any decoder must do for a KISS capture, as a yardstick.
//
//   zelto-floor CAPTURE.kss
//
// Run in a working folder as a fresh start leaves it (ThumbList.txt, empty Thumbs and
// Puzzles). It writes exactly the files the decoder writes for the capture followed by
// Puzzles > Decode: the HEX frame file, every icon file and frame file, the new lines of
// ThumbList.txt, each complete thumbnail and puzzle joined from its frames, and the
// complete thumbnails' folders removed. It checks nothing and reports nothing, reads and
// writes in large blocks, and keeps in memory whatever spares a file operation: the
// frames it wrote (a copy heard again with the same bytes is not written again, and the
// images are joined from memory) and the IDs of the log.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 1 << 20;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "zelto-floor: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void writeAll(int fd, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0)
            fail(name);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void writeFile(const std::string& name, std::string_view bytes, int flags = O_TRUNC) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | flags, 0644);
    if (fd < 0)
        fail(name);
    writeAll(fd, bytes, name);
    ::close(fd);
}

// Appends the whole file to `out`.
void readFile(const std::string& name, std::string& out) {
    const int fd = ::open(name.c_str(), O_RDONLY);
    if (fd < 0)
        fail(name);
    for (;;) {
        const std::size_t at = out.size();
        out.resize(at + kBlock);
        const ssize_t n = ::read(fd, out.data() + at, kBlock);
        if (n < 0)
            fail(name);
        out.resize(at + static_cast<std::size_t>(n));
        if (n == 0)
            break;
    }
    ::close(fd);
}

const char kDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, std::uint8_t b) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
}

// "0A 1B 2C 3D" from four frame bytes.
std::string idAt(std::string_view frame, std::size_t at) {
    std::string id;
    for (std::size_t i = at; i < at + 4; ++i) {
        if (i > at)
            id.push_back(' ');
        appendHex(id, static_cast<std::uint8_t>(frame[i]));
    }
    return id;
}

std::string frameFileName(unsigned number) {
    std::string name;
    appendHex(name, static_cast<std::uint8_t>(number & 0xFF));
    name.push_back(' ');
    appendHex(name, static_cast<std::uint8_t>(number >> 8));
    return name + ".bin";
}

struct ImageFolder {
    bool thumbnail;
    std::string id;
    unsigned frameCount;
    // Frame number to the bytes of its frame file.
    std::unordered_map<unsigned, std::string> frames;
};

class Floor {
  public:
    explicit Floor(const std::string& hexName) : hexName_(hexName) {
        hexFd_ = ::open(hexName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (hexFd_ < 0)
            fail(hexName);
        for (int b = 0; b < 256; ++b)
            tokens_[b] = {kDigits[b >> 4], kDigits[b & 15], ' '};
        std::string log;
        readFile("ThumbList.txt", log);
        for (std::size_t start = 0; start < log.size();) {
            std::size_t end = log.find('\n', start);
            if (end == std::string::npos)
                end = log.size();
            if (end - start >= 12)
                knownIds_.emplace(log, start + 1, 11);
            start = end + 1;
        }
        hex_.reserve(kBlock + 4096);
    }

    // One KISS frame as it stands between its opening byte and its closing C0.
    void kissFrame(std::string_view raw) {
        if (raw.size() < 67 || raw.size() > 333)
            return;
        frame_.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\xDB') {
                frame_.push_back(raw[i]);
                continue;
            }
            // An escape takes the next byte with it, whatever it is.
            if (i + 1 < raw.size() && raw[i + 1] == '\xDC')
                frame_.push_back('\xC0');
            else if (i + 1 < raw.size() && raw[i + 1] == '\xDD')
                frame_.push_back('\xDB');
            ++i;
        }
        for (char b : frame_)
            hex_.append(tokens_[static_cast<std::uint8_t>(b)].data(), 3);
        hex_ += "\r\n";
        if (hex_.size() >= kBlock) {
            writeAll(hexFd_, hex_, hexName_);
            hex_.clear();
        }
        decode(frame_);
    }

    void finish() {
        writeAll(hexFd_, hex_, hexName_);
        ::close(hexFd_);
        if (!newLogLines_.empty())
            writeFile("ThumbList.txt", newLogLines_, O_APPEND);
        std::string joined;
        for (const std::string& name : folderOrder_) {
            const ImageFolder& folder = folders_.at(name);
            if (folder.frames.size() != folder.frameCount)
                continue;
            joined.clear();
            for (unsigned f = folder.frameCount; f >= 1; --f) {
                const auto frame = folder.frames.find(f);
                if (frame != folder.frames.end())
                    joined += frame->second;
            }
            writeFile((folder.thumbnail ? "thumb " : "puzzl ") + folder.id + ".jpg", joined);
            if (folder.thumbnail) {
                for (const auto& frame : folder.frames)
                    ::unlink((name + "/" + frameFileName(frame.first)).c_str());
                ::rmdir(name.c_str());
            }
        }
    }

  private:
    void decode(std::string_view f) {
        if (f.size() < 6 || f[4] != '\x82')
            return;
        const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(f[i]); };
        const auto word = [&](std::size_t i) {
            return unsigned(byte(i)) | unsigned(byte(i + 1)) << 8;
        };
        if (f[3] == '\x86' && f[5] == '\x05' && f.size() >= 102) {
            const std::string id = idAt(f, 98);
            if (knownIds_.insert(id).second) {
                const unsigned length = word(6);
                const std::size_t chars =
                    length > 1 ? std::min<std::size_t>(length - 1, f.size() - 8) : 0;
                newLogLines_.append(" ")
                    .append(id)
                    .append(" = ")
                    .append(f.substr(8, chars))
                    .append("\r\n");
            }
        } else if (f[3] == '\x85' && f[5] == '\x02' && f.size() >= 112) {
            const std::size_t size = std::min<std::size_t>(word(6), f.size() - 8);
            std::string name = "icon" + idAt(f, 108) + " .bmp";
            const std::string_view bitmap = f.substr(8, size);
            auto [it, isNew] = icons_.try_emplace(std::move(name), bitmap);
            if (isNew || it->second != bitmap) {
                it->second = bitmap;
                writeFile(it->first, bitmap);
            }
        } else if (f[3] == '\x85' && (f[5] == '\x04' || f[5] == '\x03') && f.size() >= 15) {
            const bool thumbnail = f[5] == '\x04';
            const std::string id = idAt(f, 6);
            const unsigned frameCount = word(11) / 200 + 1;
            const unsigned number = word(13);
            std::string name =
                (thumbnail ? "Thumbs/" : "Puzzles/") + id + " . " + std::to_string(frameCount);
            auto [it, isNew] =
                folders_.try_emplace(name, ImageFolder{thumbnail, id, frameCount, {}});
            if (isNew) {
                if (::mkdir(name.c_str(), 0755) != 0 && errno != EEXIST)
                    fail(name);
                folderOrder_.push_back(name);
            }
            const std::size_t size =
                std::min<std::size_t>(number > 1 ? 200 : byte(10), f.size() - 15);
            const std::string_view payload = f.substr(15, size);
            auto [frame, isNewFrame] = it->second.frames.try_emplace(number, payload);
            if (isNewFrame || frame->second != payload) {
                frame->second = payload;
                writeFile(name + "/" + frameFileName(number), payload);
            }
        }
    }

    std::string hexName_;
    int hexFd_;
    std::array<std::array<char, 3>, 256> tokens_;
    std::string hex_;
    std::string frame_;
    std::unordered_set<std::string> knownIds_;
    std::string newLogLines_;
    std::unordered_map<std::string, ImageFolder> folders_;
    std::unordered_map<std::string, std::string> icons_;
    std::vector<std::string> folderOrder_;
};

std::string hexFileName(const std::string& capture) {
    std::string name = capture.substr(capture.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".HEX";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelto-floor CAPTURE.kss\n");
        return 2;
    }
    const int in = ::open(argv[1], O_RDONLY);
    if (in < 0)
        fail(argv[1]);
    Floor floor(hexFileName(argv[1]));
    std::string block(kBlock, '\0');
    std::string raw;
    // Like the import: the byte before each frame is dropped unseen, C0 ends the frame.
    bool opening = true;
    for (ssize_t n; (n = ::read(in, block.data(), block.size())) > 0;) {
        for (ssize_t i = 0; i < n; ++i) {
            const char b = block[static_cast<std::size_t>(i)];
            if (opening) {
                opening = false;
                raw.clear();
            } else if (b == '\xC0') {
                floor.kissFrame(raw);
                opening = true;
            } else {
                raw.push_back(b);
            }
        }
    }
    ::close(in);
    floor.finish();
    return 0;
}
