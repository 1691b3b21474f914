// Reading and writing files in blocks, with the run-time library's messages for failures.
#include "core/file_io.h"

#include "core/durable_writes.h"
#include "core/run_error.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {

namespace {
constexpr std::size_t kBlock = 1 << 16;

// 0, or the error that stopped the writing.
int tryWriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

void writeAll(int fd, const char* data, std::size_t size) {
    if (const int err = tryWriteAll(fd, data, size))
        throwWriteError(err);
}

} // namespace

InputFile::InputFile(const fs::path& path) {
    // Not blocking: a FIFO would otherwise hold the program until some writer opened it.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throwIoError(errno);
    struct stat st {};
    if (::fstat(fd_, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            throwIoError(EACCES);
        }
        size_ = static_cast<std::size_t>(st.st_size);
        // A device such as /dev/zero or /dev/full would be read without end, and a FIFO
        // waited on: each is taken for what its size says, an empty file.
        if (!S_ISREG(st.st_mode))
            atEnd_ = true;
    }
}

InputFile::~InputFile() {
    close();
}

void InputFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool InputFile::fill() {
    if (atEnd_)
        return false;
    if (buffer_.size() < kBlock)
        buffer_.resize(kBlock);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwIoError(errno);
        }
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
        return n > 0;
    }
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    if (begin_ == end_) {
        if (size >= kBlock && !atEnd_) {
            for (;;) {
                const ssize_t n = ::read(fd_, buffer, size);
                if (n >= 0)
                    return static_cast<std::size_t>(n);
                if (errno != EINTR)
                    throwIoError(errno);
            }
        }
        if (!fill())
            return 0;
    }
    const std::size_t n = std::min(size, end_ - begin_);
    std::memcpy(buffer, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

bool InputFile::readLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill())
            break;
        any = true;
        const char* start = buffer_.data() + begin_;
        const void* lf = std::memchr(start, '\n', end_ - begin_);
        if (lf) {
            const std::size_t n = static_cast<const char*>(lf) - start;
            line.append(start, n);
            begin_ += n + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        line.append(start, end_ - begin_);
        begin_ = end_;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

WholeFile::WholeFile(std::string finalPath) : finalPath_(std::move(finalPath)) {
    tempPath_ = partialPath(finalPath_);
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throwWriteError(errno);
}

WholeFile::~WholeFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(tempPath_.c_str());
    }
}

void WholeFile::flush() {
    writeAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
}

void WholeFile::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBlock) {
        flush();
        if (bytes.size() >= kBlock) {
            writeAll(fd_, bytes.data(), bytes.size());
            return;
        }
    }
    buffer_.append(bytes);
}

void WholeFile::close() {
    flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tempPath_.c_str());
        throwWriteError(err);
    }
}

void WholeFile::commit() {
    flush();
    if (::fdatasync(fd_) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(tempPath_.c_str());
        throwWriteError(err);
    }
    close();
    if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
        const int err = errno;
        ::unlink(tempPath_.c_str());
        throwWriteError(err);
    }
}

void WholeFile::commit(DurableWrites& writes, DurableWrites::Waiting how) {
    close();
    writes.add(std::move(tempPath_), std::move(finalPath_), how);
}

namespace {
// What stands under the path: nothing, these very bytes, or something else; any doubt
// answers something else. A folder there could never be replaced by the file.
FileWrite compareWith(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileWrite::Created : FileWrite::Replaced;
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    if (known && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throwWriteError(EISDIR);
    }
    bool same =
        known && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) == bytes.size();
    if (same && !bytes.empty()) {
        std::string content(bytes.size(), '\0');
        same = ::read(fd, content.data(), content.size()) == static_cast<ssize_t>(bytes.size()) &&
               content == bytes;
    }
    ::close(fd);
    return same ? FileWrite::Unchanged : FileWrite::Replaced;
}
} // namespace

void replaceWholeFile(const std::string& path, std::string_view bytes) {
    WholeFile file(path);
    file.write(bytes);
    file.commit();
}

void replaceWholeFile(const std::string& path, std::string_view bytes, DurableWrites& writes,
                      DurableWrites::Waiting how) {
    WholeFile file(path);
    file.write(bytes);
    file.commit(writes, how);
}

FileWrite writeWholeFile(const std::string& path, std::string_view bytes) {
    // A frame received again is usually the same frame: leaving the file alone spares the
    // file system a new inode and a replacing rename, which cost far more than this read.
    const FileWrite outcome = compareWith(path, bytes);
    if (outcome != FileWrite::Unchanged)
        replaceWholeFile(path, bytes);
    return outcome;
}

FileWrite writeWholeFile(const std::string& path, std::string_view bytes, DurableWrites& writes,
                         DurableWrites::Waiting how) {
    // Bytes that wait for the name are what will stand there.
    const FileWrite outcome =
        compareWith(how == DurableWrites::Waiting::Listed ? writes.readable(path) : path, bytes);
    if (outcome != FileWrite::Unchanged)
        replaceWholeFile(path, bytes, writes, how);
    return outcome;
}

std::string readWholeFile(const fs::path& path) {
    InputFile in(path);
    // Joining an image reads hundreds of small frame files: reading the size the file has
    // spares the last read that would only find the end.
    std::string content(in.size(), '\0');
    std::size_t filled = 0;
    while (filled < content.size()) {
        const std::size_t n = in.read(content.data() + filled, content.size() - filled);
        if (n == 0)
            break;
        filled += n;
    }
    content.resize(filled);
    char block[kBlock];
    if (content.empty()) // sizes that say nothing, as of some special files
        while (const std::size_t n = in.read(block, sizeof block))
            content.append(block, n);
    return content;
}

namespace {
std::string appendMarkerPrefix() {
    return std::string(kPartialPrefix) + "append-";
}
std::string appendMarkerName(const fs::path& path, std::uintmax_t sizeBefore) {
    return appendMarkerPrefix() + std::to_string(sizeBefore) + "-" + path.filename().string();
}
} // namespace

fs::path appendMarkerPath(const fs::path& path, std::uintmax_t sizeBefore) {
    return path.parent_path() / appendMarkerName(path, sizeBefore);
}

namespace {
// One write at the end of an open file; a write that fails takes its bytes back.
void appendOnce(int fd, bool regular, off_t sizeBefore, std::string_view bytes,
                const std::string& marker) {
    int err = tryWriteAll(fd, bytes.data(), bytes.size());
    // A full disk can take some of the bytes, and a line cut short would stand for good:
    // the file goes back to what it held.
    if (err != 0 && regular && ::ftruncate(fd, sizeBefore) != 0) {
        // Nothing more can be done; the write's error is the one that counts.
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (!marker.empty())
        ::unlink(marker.c_str());
    if (err != 0)
        throwWriteError(err);
}
} // namespace

void appendLines(const fs::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        throwWriteError(errno);
    struct stat before {};
    const bool known = ::fstat(fd, &before) == 0;
    // Without a marker of its own (a folder that takes no new file, or a marker of that size
    // there already) the append is still made.
    std::string marker;
    if (known) {
        marker = appendMarkerPath(path, static_cast<std::uintmax_t>(before.st_size)).native();
        const int markerFd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (markerFd < 0)
            marker.clear();
        else
            ::close(markerFd);
    }
    appendOnce(fd, known && S_ISREG(before.st_mode), before.st_size, bytes, marker);
}

void appendBlock(const fs::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throwWriteError(errno);
    struct stat before {};
    const bool known = ::fstat(fd, &before) == 0;
    appendOnce(fd, known && S_ISREG(before.st_mode), before.st_size, bytes, "");
}

void cutAfterLast(const fs::path& path, char terminator) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        return;
    }
    // Backwards, a block at a time, to the last terminator.
    off_t end = st.st_size;
    off_t cutAt = -1;
    std::string block(kBlock, '\0');
    while (end > 0 && cutAt < 0) {
        const off_t start = std::max<off_t>(0, end - static_cast<off_t>(block.size()));
        const ssize_t n = ::pread(fd, block.data(), static_cast<std::size_t>(end - start), start);
        if (n != end - start)
            break;
        const std::string_view got(block.data(), static_cast<std::size_t>(n));
        if (const std::size_t at = got.rfind(terminator); at != std::string_view::npos)
            cutAt = start + static_cast<off_t>(at) + 1;
        end = start;
    }
    if (cutAt >= 0 && cutAt != st.st_size && ::ftruncate(fd, cutAt) != 0) {
        // Left as it is: the next reader passes over a damaged end.
    }
    ::close(fd);
}

void cutPartAppendedLine(const fs::path& path, const std::vector<std::string>& partialNames) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size == 0)
        return;
    const std::string prefix = appendMarkerPrefix();
    const std::string suffix = "-" + path.filename().string();
    std::vector<std::uintmax_t> sizes;
    for (const std::string& name : partialNames) {
        if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix))
            continue;
        const std::string_view digits = std::string_view(name).substr(
            prefix.size(), name.size() - prefix.size() - suffix.size());
        std::uintmax_t before = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), before);
        if (error == std::errc() && end == digits.data() + digits.size() && before < size)
            sizes.push_back(before);
    }
    if (sizes.empty())
        return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    auto byteBefore = [fd](std::uintmax_t at) {
        char byte = 0;
        return ::pread(fd, &byte, 1, static_cast<off_t>(at - 1)) == 1 ? byte : '\0';
    };
    // An append that went through ends in LF: the file is then left as it is.
    std::optional<std::uintmax_t> cutAt;
    if (byteBefore(size) != '\n') {
        // Of several markers, the append that was cut is the last one, the largest size below
        // the file's whose bytes before it are there.
        std::sort(sizes.begin(), sizes.end(), std::greater<>());
        for (const std::uintmax_t before : sizes)
            if (before == 0 || byteBefore(before) != '\0') {
                cutAt = before;
                break;
            }
        if (!cutAt)
            cutAt = sizes.back();
    }
    ::close(fd);
    if (!cutAt)
        return;
    // On the disk before the markers go: a power cut must not bring back the cut line
    // without them. A start-up goes on whatever comes of it.
    const int cutFd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (cutFd < 0)
        return;
    if (::ftruncate(cutFd, static_cast<off_t>(*cutAt)) == 0 && ::fdatasync(cutFd) != 0) {
        // The cut is made; only its reaching the disk is in doubt.
    }
    ::close(cutFd);
}

bool isPartialName(std::string_view fileName) {
    return fileName.starts_with(kPartialPrefix);
}

std::string partialPath(const std::string& finalPath) {
    static std::atomic<unsigned> counter{0};
    static const pid_t processId = ::getpid();
    const std::size_t nameStart = finalPath.rfind('/') + 1; // 0 when there is no folder
    std::string name = std::string(kPartialPrefix) + std::to_string(processId) + "-" +
                       std::to_string(counter++) + "-";
    // The final name only helps a reader of the folder; cut, so that a long name that fits
    // the file system does not fail for its temporary name alone.
    name.append(finalPath, nameStart, std::string::npos);
    if (name.size() > NAME_MAX)
        name.resize(NAME_MAX);
    return finalPath.substr(0, nameStart) + name;
}

std::string nameOfPartial(std::string_view partialName) {
    if (!isPartialName(partialName))
        return "";
    std::string_view rest = partialName.substr(kPartialPrefix.size());
    // The process ID and the counter, each followed by "-".
    for (int field = 0; field < 2; ++field) {
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos ||
            rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos)
            return "";
        rest.remove_prefix(dash + 1);
    }
    return std::string(rest);
}

} // namespace zelto
