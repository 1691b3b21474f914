#pragma once

#include <stdexcept>
#include <string>

namespace zelto {

// The one failure type of the program. It carries the run-time message that the
// window shows in its error box ("File not found", "Disk full", ...). Raised where
// an operation fails and caught only at the boundary of a command handler.
class RunError : public std::runtime_error {
  public:
    // A message quoting a damaged line may hold NUL bytes, which would end it wherever it is
    // shown: each becomes "?".
    explicit RunError(const std::string& message);
    explicit RunError(const char* message) : std::runtime_error(message) {}
};

// The run-time message for an operating-system error number.
std::string ioErrorMessage(int errorNumber);
[[noreturn]] void throwIoError(int errorNumber);

[[noreturn]] void throwReadBeyondEnd();

// "'%s' is not a valid integer value"
[[noreturn]] void throwNotValidInteger(const std::string& text);

} // namespace zelto
