// The queue file of frames waiting to be forwarded.
#include "live/sids_queue.h"

#include "core/file_io.h"
#include "core/run_error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zelto {

namespace {
constexpr char kWaiting = 'W';

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
} // namespace

SidsQueue::SidsQueue(std::filesystem::path file) : file_(std::move(file)) {
    std::string kept;
    bool anyDone = false;
    {
        std::error_code ec;
        if (std::filesystem::exists(file_, ec)) {
            cutAfterLast(file_, '\n'); // a line that a kill cut short was never whole
            InputFile in(file_);
            std::string line;
            while (in.readLine(line)) {
                if (line.size() > 2 && line[0] == kWaiting && line[1] == ' ') {
                    kept += line + "\n";
                    ++waiting_;
                } else {
                    anyDone = true;
                }
            }
        }
    }
    if (anyDone || !std::filesystem::exists(file_))
        replaceWholeFile(file_, kept);
}

void SidsQueue::push(const std::string& body) {
    appendBlock(file_, std::string(1, kWaiting) + " " + body + "\n");
    ++waiting_;
}

std::optional<std::string> SidsQueue::front() {
    while (waiting_ > 0) {
        const std::optional<std::string> line = lineAt(file_, front_);
        if (!line)
            return std::nullopt;
        if ((*line)[0] == kWaiting)
            return line->substr(2);
        front_ += line->size() + 1;
    }
    return std::nullopt;
}

void SidsQueue::markFront(char mark) {
    const std::optional<std::string> line = lineAt(file_, front_);
    if (!line || waiting_ == 0)
        return;
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throwWriteError(errno);
    // One byte written in place: the line is either still waiting or done, never half.
    const bool written = ::pwrite(fd, &mark, 1, static_cast<off_t>(front_)) == 1;
    const int err = errno;
    ::close(fd);
    if (!written)
        throwWriteError(err);
    front_ += line->size() + 1;
    if (--waiting_ == 0) {
        // Nothing waits: the file starts again empty rather than grow for ever.
        replaceWholeFile(file_, "");
        front_ = 0;
    }
}

} // namespace zelto
