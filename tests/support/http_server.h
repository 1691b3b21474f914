#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zelto::test {

// An HTTP/1.1 server for tests, on 127.0.0.1 only, on a port of the system's choosing. It
// records every request and answers each as the test's handler says.
class HttpServer {
  public:
    struct Request {
        std::string method;
        std::string path;
        std::string contentType;
        std::string authorization;
        std::string body;
    };
    struct Answer {
        Answer(int status = 200, std::string body = {}, bool stall = false,
               std::string headers = {})
            : status(status), body(std::move(body)), stall(stall), headers(std::move(headers)) {}
        int status;
        std::string body;
        bool stall;          // never answer; the connection stays open until the server ends
        std::string headers; // more header lines, each ending in CR LF
        // When set, a body of that many bytes instead of `body`, sent `chunk` bytes at a time
        // with `pause` between; it ends early once the client has gone.
        std::size_t longBody = 0;
        std::size_t chunk = 1 << 16;
        std::chrono::milliseconds pause{0};
    };
    using Handler = std::function<Answer(const Request&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<Request> requests() const;
    // The bytes of long bodies that went out before their clients went.
    std::size_t longBodyBytesSent() const { return longBodySent_; }

  private:
    void acceptLoop();
    void serve(int client);
    bool sendLongBody(int client, const Answer& answer);

    Handler handler_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::atomic<std::size_t> longBodySent_{0};
    std::vector<int> clients_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace zelto::test
