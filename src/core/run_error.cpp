// The one failure type and the run-time messages of system errors.
#include "core/run_error.h"

#include <algorithm>
#include <cerrno>

namespace zelto {

namespace {
std::string withoutNul(std::string text) {
    std::replace(text.begin(), text.end(), '\0', '?');
    return text;
}
} // namespace

RunError::RunError(const std::string& message, bool writeFailure)
    : std::runtime_error(withoutNul(message)), writeFailure_(writeFailure) {}

std::string ioErrorMessage(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "Disk full";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    default:
        return "I/O error " + std::to_string(errorNumber);
    }
}

void throwIoError(int errorNumber) {
    throw RunError(ioErrorMessage(errorNumber));
}

void throwWriteError(int errorNumber) {
    throw RunError(ioErrorMessage(errorNumber), true);
}

void throwReadBeyondEnd() {
    throw RunError("Read beyond end of file");
}

void throwNotValidInteger(const std::string& text) {
    throw RunError("'" + text + "' is not a valid integer value");
}

} // namespace zelto
