#pragma once

#include <stdexcept>
#include <string>

namespace zelto {

// The one failure type of the program. It carries the run-time message that the
// window shows in its error box ("File not found", "Disk full", ...). Raised where
// an operation fails and caught only at the boundary of a command handler.
class RunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The run-time message for an operating-system error number.
std::string ioErrorMessage(int errorNumber);
[[noreturn]] void throwIoError(int errorNumber);

[[noreturn]] void throwReadBeyondEnd();

// "'%s' is not a valid integer value"
[[noreturn]] void throwNotValidInteger(const std::string& text);

} // namespace zelto
