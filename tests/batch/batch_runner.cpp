#include "batch/batch_runner.h"

#include "support/test_support.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::test {

BatchFolder::BatchFolder() {
    root_ = freshTempPath("zelto-batch-");
    work_ = root_ / "work";
    captures_ = root_ / "captures";
    fs::create_directories(work_);
    fs::create_directories(captures_);
}

BatchFolder::~BatchFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

BatchResult BatchFolder::run(const std::vector<std::string>& arguments, bool workGone) const {
    return start(arguments, workGone, RLIM_INFINITY);
}

BatchResult BatchFolder::runWithFileSizeLimit(const std::vector<std::string>& arguments,
                                              rlim_t bytes) const {
    return start(arguments, false, bytes);
}

pid_t startBatch(const fs::path& work, const std::vector<std::string>& arguments,
                 const fs::path& out, const fs::path& err, const std::function<bool()>& inChild) {
    std::vector<std::string> argv{ZELTO_BATCH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd =
            err == out ? outFd : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || outFd < 0 || errFd < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 ||
            ::dup2(errFd, 2) < 0 || ::chdir(work.c_str()) != 0 || (inChild && !inChild()))
            ::_exit(127);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    return child;
}

int waitForBatch(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

BatchResult BatchFolder::start(const std::vector<std::string>& arguments, bool workGone,
                               rlim_t fileSizeLimit) const {
    const fs::path outPath = root_ / "stdout";
    const fs::path errPath = root_ / "stderr";
    BatchResult result;
    const pid_t child = startBatch(work_, arguments, outPath, errPath, [&] {
        if (workGone && ::rmdir(work_.c_str()) != 0)
            return false;
        if (fileSizeLimit != RLIM_INFINITY) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::signal(SIGXFSZ, SIG_DFL);
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return false;
        }
        return true;
    });
    if (child < 0)
        return result;
    const int status = waitForBatch(child);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

} // namespace zelto::test
