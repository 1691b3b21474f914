// Whole writes to a file descriptor, and lines on standard error.
#include "batch/fd_write.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace zelto {

int writeAllToFd(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

void writeErrorLine(std::string_view text) {
    std::string line = "Zeltodecoder-batch: ";
    line.append(text);
    line += '\n';
    writeAllToFd(2, line); // nowhere left to report a failure of standard error itself
}

} // namespace zelto
