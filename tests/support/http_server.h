#pragma once

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
        int status = 200;
        std::string body;
        bool stall = false; // never answer; the connection stays open until the server ends
        std::vector<std::pair<std::string, std::string>> headers{}; // more header lines
    };
    using Handler = std::function<Answer(const Request&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<Request> requests() const;

  private:
    void acceptLoop();
    void serve(int client);

    Handler handler_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::vector<int> clients_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace zelto::test
