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
    explicit RunError(const std::string& message, bool writeFailure = false);
    explicit RunError(const char* message) : std::runtime_error(message) {}

    // Whether a file could not be written (a full disk, a folder gone): a live session stops
    // for that, since nothing more it receives could be kept, but goes on after other failures.
    bool writeFailure() const { return writeFailure_; }

  private:
    bool writeFailure_ = false;
};

// The run-time message for an operating-system error number.
std::string ioErrorMessage(int errorNumber);
[[noreturn]] void throwIoError(int errorNumber);
// The same for a file being created or written.
[[noreturn]] void throwWriteError(int errorNumber);

[[noreturn]] void throwReadBeyondEnd();

// "'%s' is not a valid integer value"
[[noreturn]] void throwNotValidInteger(const std::string& text);

} // namespace zelto
