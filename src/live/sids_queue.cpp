// The queue file of frames waiting to be forwarded.
#include "live/sids_queue.h"

#include "core/file_io.h"
#include "core/run_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zelto {

namespace {
constexpr char kWaiting = 'W';

bool isWaiting(const std::string& line) {
    return line.size() > 2 && line[0] == kWaiting && line[1] == ' ';
}

// A line of the queue, waiting or done; anything else means the file is not as counted.
bool isQueueLine(const std::string& line) {
    return line.size() > 2 && (line[0] == kWaiting || line[0] == 'S' || line[0] == 'D') &&
           line[1] == ' ';
}

// A waiting line that holds its request to the end: a kill in the middle of an append cuts
// it before the last field, which comes after the frame.
bool isWholeWithoutLineEnd(const std::string& line) {
    const std::size_t version = line.rfind("&version=");
    return isWaiting(line) && line.compare(2, 8, "noradID=") == 0 && version != std::string::npos &&
           version + 9 < line.size();
}

// "File access denied" alone would name neither the file nor a file system mounted read-only.
[[noreturn]] void throwNamingFile(const std::filesystem::path& file, const std::string& message) {
    struct statvfs system {};
    const bool readOnly = ::statvfs(file.c_str(), &system) == 0 && (system.f_flag & ST_RDONLY);
    throw RunError(
        file.string() + ": " + message + (readOnly ? ": the file system is read-only" : ""), true);
}

// The line at an offset, without its LF; nothing past the end or for a line cut short.
std::optional<std::string> lineAt(const std::filesystem::path& file, std::uint64_t offset) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string line;
    char block[4096];
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, static_cast<off_t>(offset));
        if (n <= 0)
            break;
        const std::string_view got(block, static_cast<std::size_t>(n));
        const std::size_t lf = got.find('\n');
        line.append(got.substr(0, lf));
        if (lf != std::string_view::npos) {
            ::close(fd);
            return line;
        }
        offset += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    return std::nullopt;
}

bool endsInLineEnd(const std::filesystem::path& file) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size == 0)
        return true;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    char last = 0;
    const bool read = fd >= 0 && ::pread(fd, &last, 1, static_cast<off_t>(size - 1)) == 1;
    if (fd >= 0)
        ::close(fd);
    return !read || last == '\n';
}
} // namespace

SidsQueue::SidsQueue(std::filesystem::path file) : file_(std::move(file)) {
    try {
        std::string kept;
        bool rewrite = !std::filesystem::exists(file_);
        if (!rewrite) {
            const bool lastLineEnded = endsInLineEnd(file_);
            InputFile in(file_);
            std::string line;
            std::optional<std::string> previous;
            const auto take = [&](const std::string& whole) {
                if (isWaiting(whole)) {
                    kept += whole + "\n";
                    ++waiting_;
                } else {
                    rewrite = true;
                }
            };
            while (in.readLine(line)) {
                if (previous)
                    take(*previous);
                previous = line;
            }
            if (previous && !lastLineEnded) {
                // Written again with its line end, or without the line that a kill cut short.
                rewrite = true;
                if (isWholeWithoutLineEnd(*previous))
                    take(*previous);
            } else if (previous) {
                take(*previous);
            }
        }
        if (rewrite)
            replaceWholeFile(file_, kept);
    } catch (const RunError& error) {
        throwNamingFile(file_, error.what());
    }
}

void SidsQueue::push(const std::string& body) {
    try {
        appendBlock(file_, std::string(1, kWaiting) + " " + body + "\n");
    } catch (const RunError& error) {
        throwNamingFile(file_, error.what());
    }
    ++waiting_;
}

std::optional<std::string> SidsQueue::front() {
    for (bool counted = false;; counted = true) {
        while (waiting_ > 0) {
            const std::optional<std::string> line = lineAt(file_, front_);
            if (!line || !isQueueLine(*line))
                break;
            if (isWaiting(*line))
                return line->substr(2);
            front_ += line->size() + 1;
        }
        if (waiting_ == 0 || counted)
            return std::nullopt;
        // The file no longer holds what was counted (cut or edited by hand): it is read again.
        recount();
    }
}

void SidsQueue::recount() {
    waiting_ = 0;
    std::optional<std::uint64_t> first;
    std::uint64_t offset = 0;
    while (const std::optional<std::string> line = lineAt(file_, offset)) {
        if (isWaiting(*line)) {
            ++waiting_;
            if (!first)
                first = offset;
        }
        offset += line->size() + 1;
    }
    front_ = first.value_or(offset);
}

void SidsQueue::checkWritable() const {
    const int fd = ::open(file_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throwNamingFile(file_, ioErrorMessage(errno));
    // The byte the mark will replace, written again as it is.
    char byte = 0;
    const bool written = ::pread(fd, &byte, 1, static_cast<off_t>(front_)) == 1 &&
                         ::pwrite(fd, &byte, 1, static_cast<off_t>(front_)) == 1;
    const int err = errno;
    ::close(fd);
    if (!written)
        throwNamingFile(file_, ioErrorMessage(err));
}

void SidsQueue::markFront(char mark) {
    const std::optional<std::string> line = lineAt(file_, front_);
    if (!line || waiting_ == 0)
        return;
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throwNamingFile(file_, ioErrorMessage(errno));
    // One byte written in place: the line is either still waiting or done, never half.
    const bool written = ::pwrite(fd, &mark, 1, static_cast<off_t>(front_)) == 1;
    const int err = errno;
    ::close(fd);
    if (!written)
        throwNamingFile(file_, ioErrorMessage(err));
    front_ += line->size() + 1;
    if (--waiting_ == 0) {
        // Nothing waits: the file starts again empty rather than grow for ever. The mark is
        // written already; a file that cannot be emptied now is emptied next time.
        try {
            replaceWholeFile(file_, "");
            front_ = 0;
        } catch (const RunError&) {
        }
    }
}

} // namespace zelto
