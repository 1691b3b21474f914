#include "support/kiss_server.h"

#include "support/loopback.h"

#include <algorithm>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zelto::test {

KissServer::KissServer() : listener_(listenOnLoopback(port_)) {}

KissServer::~KissServer() {
    drop();
    if (listener_ >= 0)
        ::close(listener_);
}

bool KissServer::accept(std::chrono::milliseconds timeout) {
    drop();
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(timeout.count())) != 1)
        return false;
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
}

void KissServer::send(std::string_view bytes, std::size_t chunk, std::chrono::microseconds pause) {
    while (!bytes.empty() && client_ >= 0) {
        const std::size_t n = std::min(chunk, bytes.size());
        const ssize_t sent = ::send(client_, bytes.data(), n, MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        if (pause.count() > 0)
            std::this_thread::sleep_for(pause);
    }
}

void KissServer::drop() {
    if (client_ >= 0)
        ::close(client_);
    client_ = -1;
}

} // namespace zelto::test
