// Standard output written in blocks, with a failure told once.
#include "batch/buffered_output.h"

#include "batch/fd_write.h"

#include <cerrno>

namespace zelto {

namespace {
constexpr std::size_t kBlock = 1 << 16;
}

BufferedOutput::BufferedOutput(int fd, std::function<void()> beforeWrite)
    : fd_(fd), beforeWrite_(std::move(beforeWrite)) {
    buffer_.reserve(kBlock);
}

BufferedOutput::~BufferedOutput() {
    flush();
}

void BufferedOutput::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() <= kBlock) {
        buffer_.append(bytes);
        return;
    }
    flush();
    if (bytes.size() >= kBlock)
        writeOut(bytes);
    else
        buffer_.append(bytes);
}

void BufferedOutput::flush() {
    if (buffer_.empty())
        return;
    writeOut(buffer_);
    buffer_.clear();
}

void BufferedOutput::writeOut(std::string_view bytes) {
    if (failure_ != 0)
        return;
    if (beforeWrite_)
        beforeWrite_();
    failure_ = writeAllToFd(fd_, bytes);
    if (failure_ == EPIPE)
        writeErrorLine(
            "standard output is gone (its reader closed it); the run goes on without it");
}

} // namespace zelto
