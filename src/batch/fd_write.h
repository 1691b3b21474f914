#pragma once

#include <string_view>

namespace zelto {

// Writes all bytes to a file descriptor, going on after short writes and interruptions.
// Returns 0, or the error number of the write that failed.
int writeAllToFd(int fd, std::string_view bytes);

// One line on standard error: "Zeltodecoder-batch: " + text + LF, in a single write.
void writeErrorLine(std::string_view text);

} // namespace zelto
