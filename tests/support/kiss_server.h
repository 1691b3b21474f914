#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

namespace zelto::test {

// A KISS TCP server for tests, on 127.0.0.1 only, on a port of the system's choosing. It
// serves one client at a time; every wait is bounded.
class KissServer {
  public:
    KissServer();
    ~KissServer();
    KissServer(const KissServer&) = delete;
    KissServer& operator=(const KissServer&) = delete;

    std::uint16_t port() const { return port_; }

    // Waits for the next client; false when none came in time.
    bool accept(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Sends the bytes to the client in chunks of `chunk` bytes, pausing between them.
    void send(std::string_view bytes, std::size_t chunk = SIZE_MAX,
              std::chrono::microseconds pause = std::chrono::microseconds(0));
    // Closes the client's connection.
    void drop();

  private:
    std::uint16_t port_ = 0;
    int listener_ = -1;
    int client_ = -1;
};

} // namespace zelto::test
