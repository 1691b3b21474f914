// Feeds a KISS capture to `Zeltodecoder-batch --kiss` over loopback and measures it.
//
//   zelto-live-bench speed   BATCH CAPTURE WORK   all frames at full speed: seconds until the
//                                                 last is decoded, and the peak memory
//   zelto-live-bench latency BATCH CAPTURE WORK   each image's final frame sent alone: the time
//                                                 from its last byte to the joined file
//
// WORK is made afresh as the working folder. Results go to standard output as key=value.
#include "decode/frame_fields.h"
#include "import/kiss_frames.h"
#include "store/frame_store.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "zelto-live-bench: %s\n", what.c_str());
    std::exit(1);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A listening socket on 127.0.0.1 and its port.
int listenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd, 1) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length))
        fail("no loopback socket");
    port = ntohs(address.sin_port);
    return fd;
}

void sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            fail("the decoder went away");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

struct Decoder {
    pid_t pid = -1;
    int errors = -1; // its standard error, read here
    int report = -1; // its standard output, when read here
};

// With `readReport`, the decoder's report lines come to this program (not blocking to read).
Decoder startDecoder(const std::string& batch, const fs::path& work, std::uint16_t port,
                     bool readReport = false) {
    int errors[2];
    int report[2] = {-1, -1};
    if (::pipe2(errors, O_CLOEXEC) != 0 || (readReport && ::pipe2(report, O_CLOEXEC) != 0))
        fail("no pipe");
    const std::string target = "127.0.0.1:" + std::to_string(port);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(readReport ? report[1] : null, 1);
        ::dup2(errors[1], 2);
        if (::chdir(work.c_str()) != 0)
            ::_exit(127);
        ::execl(batch.c_str(), batch.c_str(), "--kiss", target.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(errors[1]);
    if (readReport) {
        ::close(report[1]);
        ::fcntl(report[0], F_SETFL, O_NONBLOCK);
    }
    return {pid, errors[0], report[0]};
}

// Reads what the decoder has printed, waiting up to `wait` for more; false when nothing came.
bool readReport(const Decoder& decoder, std::string& into, std::chrono::milliseconds wait) {
    pollfd ready{decoder.report, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(wait.count())) != 1)
        return false;
    char block[65536];
    bool any = false;
    ssize_t n;
    while ((n = ::read(decoder.report, block, sizeof block)) > 0) {
        into.append(block, static_cast<std::size_t>(n));
        any = true;
    }
    return any;
}

// Reads the decoder's standard error until a line holds the text.
void waitForError(const Decoder& decoder, std::string_view text) {
    std::string seen;
    char block[4096];
    while (seen.find(text) == std::string::npos) {
        const ssize_t n = ::read(decoder.errors, block, sizeof block);
        if (n <= 0)
            fail("the decoder ended: " + seen);
        seen.append(block, static_cast<std::size_t>(n));
    }
}

// The decoder's peak memory so far, in kB. (Its ru_maxrss would count this program's pages,
// which the decoder had between fork and exec.)
long peakMemory(const Decoder& decoder) {
    std::ifstream status("/proc/" + std::to_string(decoder.pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    return -1;
}

void stopDecoder(const Decoder& decoder) {
    ::kill(decoder.pid, SIGTERM);
    int status = 0;
    ::waitpid(decoder.pid, &status, 0);
    ::close(decoder.errors);
}

int acceptDecoder(int listener) {
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, 10000) != 1)
        fail("the decoder did not connect");
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

void freshWorkFolder(const fs::path& work) {
    fs::remove_all(work);
    fs::create_directories(work);
}

// The capture's frames as they stand in it, escapes in place.
std::vector<std::string> framesOf(const std::string& capture) {
    std::vector<std::string> frames;
    zelto::KissFrameSplitter splitter;
    splitter.feed(capture, [&](std::string_view frame) { frames.emplace_back(frame); });
    return frames;
}

// The image file that each frame completes, if any, as the live decoder joins them: a
// thumbnail each time its folder fills anew (it is removed once joined), a puzzle once.
std::vector<std::string> imagesCompleted(const std::vector<std::string>& frames) {
    std::map<std::string, std::set<std::string>> folders;
    std::set<std::string> puzzlesDone;
    std::vector<std::string> completes(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!zelto::isKeptFrame(frames[i]))
            continue;
        std::string line;
        zelto::appendKissHexLine(line, frames[i]);
        line.resize(line.size() - 2);
        const zelto::FrameType type = zelto::classifyLine(line);
        if (type != zelto::FrameType::Thumbnail && type != zelto::FrameType::Puzzle)
            continue;
        try {
            const zelto::ImageFrame frame = zelto::readImageFrame(line);
            const bool thumb = type == zelto::FrameType::Thumbnail;
            const std::string folder = (thumb ? "T" : "P") + zelto::StoreLayout::imageFolderName(
                                                                 frame.imageId, frame.frameCount);
            auto& present = folders[folder];
            if (!present.insert(frame.frameNumberText).second ||
                static_cast<long>(present.size()) != frame.frameCount)
                continue;
            if (thumb) {
                completes[i] = "thumb " + frame.imageId + ".jpg";
                present.clear();
            } else if (puzzlesDone.insert(folder).second) {
                completes[i] = "puzzl " + frame.imageId + ".jpg";
            }
        } catch (...) {
        }
    }
    return completes;
}

int speed(const std::string& batch, const std::string& capture, const fs::path& work) {
    freshWorkFolder(work);
    std::uint16_t port = 0;
    const int listener = listenOnLoopback(port);
    const Decoder decoder = startDecoder(batch, work, port);
    const int client = acceptDecoder(listener);
    const auto start = Clock::now();
    sendAll(client, capture);
    ::close(client);
    // Said once the decoder has decoded everything the connection brought.
    waitForError(decoder, "The remote host closed the connection");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long peak = peakMemory(decoder);
    stopDecoder(decoder);
    std::printf("seconds=%.4f peak_kb=%ld\n", seconds, peak);
    return 0;
}

int latency(const std::string& batch, const std::string& capture, const fs::path& work) {
    const std::vector<std::string> frames = framesOf(capture);
    const std::vector<std::string> completes = imagesCompleted(frames);
    freshWorkFolder(work);
    std::uint16_t port = 0;
    const int listener = listenOnLoopback(port);
    const Decoder decoder = startDecoder(batch, work, port, true);
    const int client = acceptDecoder(listener);
    std::vector<double> milliseconds;
    long missed = 0;
    std::string pending; // frames sent together, up to the next final frame
    std::string report;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::string frame = "\xC0" + frames[i] + "\xC0";
        if (completes[i].empty()) {
            pending += frame;
            continue;
        }
        sendAll(client, pending);
        pending.clear();
        // The decoder is idle again, having printed nothing for a while, before the final
        // frame goes alone.
        while (readReport(decoder, report, std::chrono::milliseconds(20)))
            report.clear();
        report.clear();
        sendAll(client, frame);
        const auto sent = Clock::now();
        // Printed once the joined file stands under its name.
        const std::string joined = "Image: " + completes[i] + "\n";
        while (report.find(joined) == std::string::npos &&
               Clock::now() - sent < std::chrono::seconds(2))
            readReport(decoder, report, std::chrono::milliseconds(100));
        if (report.find(joined) != std::string::npos)
            milliseconds.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        else
            ++missed;
    }
    sendAll(client, pending);
    ::close(client);
    stopDecoder(decoder);
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double q) {
        return milliseconds.empty()
                   ? 0.0
                   : milliseconds[std::min(milliseconds.size() - 1,
                                           static_cast<std::size_t>(q * milliseconds.size()))];
    };
    std::printf("images=%zu missed=%ld median_ms=%.3f p99_ms=%.3f max_ms=%.3f\n",
                milliseconds.size(), missed, at(0.5), at(0.99),
                milliseconds.empty() ? 0.0 : milliseconds.back());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: zelto-live-bench speed|latency BATCH CAPTURE WORK\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const std::string mode = argv[1];
    const std::string batch = fs::absolute(argv[2]); // started in the working folder
    const std::string capture = readFile(argv[3]);
    if (mode == "speed")
        return speed(batch, capture, fs::absolute(argv[4]));
    if (mode == "latency")
        return latency(batch, capture, fs::absolute(argv[4]));
    fail("no mode " + mode);
}
