// Loaded with LD_PRELOAD into a program under test: records, in the file that ZELTO_IO_TRACE
// names, every call of the program that changes what a power cut would leave, once the call
// has returned. A test replays the record to tell which bytes the disk may not hold yet.
// With ZELTO_IO_KILL_AT_DELETION=n, the program is killed (SIGKILL) right after its n-th
// deletion of a file in a folder of Thumbs whose name is no temporary name: inside the
// removal of image folders.
//
// One line per call, fields separated by tabs:
//   T path            a file made or emptied by its opening: all its bytes are new
//   W path start end  bytes written at [start, end)
//   R from to         renamed
//   U path            deleted (a file or an empty folder)
//   S                 the whole file system synced (syncfs, sync)
//   F path            one file synced (fsync, fdatasync)
//   X path size       cut to a size
// Paths are absolute, as the program named them.

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxFd = 4096;
std::string* fdPaths[kMaxFd];

template <class F> F real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

using WriteFn = ssize_t (*)(int, const void*, size_t);
WriteFn realWrite() {
    static WriteFn fn = real<WriteFn>("write");
    return fn;
}

int traceFd() {
    static int fd = [] {
        const char* path = std::getenv("ZELTO_IO_TRACE");
        if (!path)
            return -1;
        using OpenFn = int (*)(const char*, int, ...);
        static OpenFn openFn = real<OpenFn>("open");
        return openFn(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    }();
    return fd;
}

void record(const std::string& line) {
    const int fd = traceFd();
    if (fd < 0)
        return;
    const int saved = errno;
    realWrite()(fd, line.data(), line.size());
    errno = saved;
}

std::string absolute(int dirFd, const char* path) {
    if (path == nullptr)
        return "";
    if (path[0] == '/')
        return path;
    if (dirFd != AT_FDCWD && dirFd >= 0 && dirFd < kMaxFd && fdPaths[dirFd])
        return *fdPaths[dirFd] + "/" + path;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr)
        return path;
    return std::string(cwd) + "/" + path;
}

const std::string* pathOf(int fd) {
    return fd >= 0 && fd < kMaxFd ? fdPaths[fd] : nullptr;
}

// Whether a file stands under the path, asked before it is opened.
bool exists(int dirFd, const char* path) {
    return ::faccessat(dirFd, path, F_OK, 0) == 0;
}

void opened(int fd, int dirFd, const char* path, int flags, bool existed) {
    if (fd < 0 || fd >= kMaxFd || traceFd() < 0 || fd == traceFd())
        return;
    delete fdPaths[fd];
    fdPaths[fd] = new std::string(absolute(dirFd, path));
    if ((flags & O_TRUNC) || ((flags & O_CREAT) && !existed))
        record("T\t" + *fdPaths[fd] + "\n");
}

void deleted(const std::string& path) {
    static const long killAt = [] {
        const char* n = std::getenv("ZELTO_IO_KILL_AT_DELETION");
        return n ? std::strtol(n, nullptr, 10) : 0L;
    }();
    static long deletions = 0;
    record("U\t" + path + "\n");
    const std::size_t slash = path.rfind('/');
    const bool frameOfThumbs = path.find("/Thumbs/") != std::string::npos &&
                               path.compare(slash + 1, 15, ".zelto-partial-") != 0 &&
                               path.find('/', path.find("/Thumbs/") + 8) != std::string::npos;
    if (killAt > 0 && frameOfThumbs && ++deletions == killAt)
        ::raise(SIGKILL);
}

mode_t modeArgument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    static auto fn = real<int (*)(const char*, int, ...)>("open");
    const bool existed = exists(AT_FDCWD, path);
    const int fd = fn(path, flags, mode);
    opened(fd, AT_FDCWD, path, flags, existed);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    static auto fn = real<int (*)(const char*, int, ...)>("open64");
    const bool existed = exists(AT_FDCWD, path);
    const int fd = fn(path, flags, mode);
    opened(fd, AT_FDCWD, path, flags, existed);
    return fd;
}

int openat(int dirFd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    static auto fn = real<int (*)(int, const char*, int, ...)>("openat");
    const bool existed = exists(dirFd, path);
    const int fd = fn(dirFd, path, flags, mode);
    opened(fd, dirFd, path, flags, existed);
    return fd;
}

int openat64(int dirFd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    static auto fn = real<int (*)(int, const char*, int, ...)>("openat64");
    const bool existed = exists(dirFd, path);
    const int fd = fn(dirFd, path, flags, mode);
    opened(fd, dirFd, path, flags, existed);
    return fd;
}

int creat(const char* path, mode_t mode) {
    return open(path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    const ssize_t n = realWrite()(fd, data, size);
    if (n > 0) {
        if (const std::string* path = pathOf(fd)) {
            const off_t end = ::lseek(fd, 0, SEEK_CUR);
            if (end >= n)
                record("W\t" + *path + "\t" + std::to_string(end - n) + "\t" + std::to_string(end) +
                       "\n");
        }
    }
    return n;
}

int close(int fd) {
    static auto fn = real<int (*)(int)>("close");
    if (fd >= 0 && fd < kMaxFd && fd != traceFd()) {
        delete fdPaths[fd];
        fdPaths[fd] = nullptr;
    }
    return fn(fd);
}

int rename(const char* from, const char* to) {
    static auto fn = real<int (*)(const char*, const char*)>("rename");
    const int result = fn(from, to);
    if (result == 0)
        record("R\t" + absolute(AT_FDCWD, from) + "\t" + absolute(AT_FDCWD, to) + "\n");
    return result;
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static auto fn = real<int (*)(int, const char*, int, const char*)>("renameat");
    const int result = fn(fromDir, from, toDir, to);
    if (result == 0)
        record("R\t" + absolute(fromDir, from) + "\t" + absolute(toDir, to) + "\n");
    return result;
}

int unlink(const char* path) {
    static auto fn = real<int (*)(const char*)>("unlink");
    const int result = fn(path);
    if (result == 0)
        deleted(absolute(AT_FDCWD, path));
    return result;
}

int unlinkat(int dirFd, const char* path, int flags) {
    static auto fn = real<int (*)(int, const char*, int)>("unlinkat");
    const int result = fn(dirFd, path, flags);
    if (result == 0 && !(flags & AT_REMOVEDIR))
        deleted(absolute(dirFd, path));
    else if (result == 0)
        record("U\t" + absolute(dirFd, path) + "\n");
    return result;
}

int rmdir(const char* path) {
    static auto fn = real<int (*)(const char*)>("rmdir");
    const int result = fn(path);
    if (result == 0)
        record("U\t" + absolute(AT_FDCWD, path) + "\n");
    return result;
}

int remove(const char* path) {
    static auto fn = real<int (*)(const char*)>("remove");
    const std::string full = absolute(AT_FDCWD, path);
    struct stat st {};
    const bool folder = ::lstat(path, &st) == 0 && S_ISDIR(st.st_mode);
    const int result = fn(path);
    if (result == 0 && !folder)
        deleted(full);
    else if (result == 0)
        record("U\t" + full + "\n");
    return result;
}

int syncfs(int fd) {
    static auto fn = real<int (*)(int)>("syncfs");
    const int result = fn(fd);
    if (result == 0)
        record("S\n");
    return result;
}

void sync() {
    static auto fn = real<void (*)()>("sync");
    fn();
    record("S\n");
}

int fsync(int fd) {
    static auto fn = real<int (*)(int)>("fsync");
    const int result = fn(fd);
    if (result == 0)
        if (const std::string* path = pathOf(fd))
            record("F\t" + *path + "\n");
    return result;
}

int fdatasync(int fd) {
    static auto fn = real<int (*)(int)>("fdatasync");
    const int result = fn(fd);
    if (result == 0)
        if (const std::string* path = pathOf(fd))
            record("F\t" + *path + "\n");
    return result;
}

int ftruncate(int fd, off_t size) {
    static auto fn = real<int (*)(int, off_t)>("ftruncate");
    const int result = fn(fd, size);
    if (result == 0)
        if (const std::string* path = pathOf(fd))
            record("X\t" + *path + "\t" + std::to_string(size) + "\n");
    return result;
}

int truncate(const char* path, off_t size) {
    static auto fn = real<int (*)(const char*, off_t)>("truncate");
    const int result = fn(path, size);
    if (result == 0)
        record("X\t" + absolute(AT_FDCWD, path) + "\t" + std::to_string(size) + "\n");
    return result;
}

} // extern "C"
