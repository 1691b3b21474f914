#include "support/http_server.h"

#include "support/loopback.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zelto::test {

namespace {

// The value of a header, letter case of its name ignored.
std::string headerValue(const std::string& head, const std::string& name) {
    std::string lowered = head;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = lowered.find("\r\n" + name + ":");
    if (at == std::string::npos)
        return "";
    const std::size_t start = head.find_first_not_of(' ', at + name.size() + 3);
    return head.substr(start, head.find("\r\n", start) - start);
}

const char* reasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 301:
        return "Moved Permanently";
    case 308:
        return "Permanent Redirect";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = listenOnLoopback(port_);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe for the HTTP server");
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpServer::~HttpServer() {
    [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], "x", 1);
    acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (const int client : clients_)
            ::shutdown(client, SHUT_RDWR);
    }
    for (auto& thread : threads_)
        thread.join();
    for (const int client : clients_)
        ::close(client);
    ::close(listener_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

std::vector<HttpServer::Request> HttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpServer::acceptLoop() {
    for (;;) {
        pollfd waiting[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0 || waiting[1].revents != 0)
            return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
        threads_.emplace_back([this, client] { serve(client); });
    }
}

void HttpServer::serve(int client) {
    std::string pending;
    char block[4096];
    for (;;) {
        std::size_t headEnd;
        while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t n = ::recv(client, block, sizeof block, 0);
            if (n <= 0)
                return;
            pending.append(block, static_cast<std::size_t>(n));
        }
        const std::string head = pending.substr(0, headEnd);
        const std::size_t length = std::stoul("0" + headerValue(head, "content-length"));
        while (pending.size() < headEnd + 4 + length) {
            const ssize_t n = ::recv(client, block, sizeof block, 0);
            if (n <= 0)
                return;
            pending.append(block, static_cast<std::size_t>(n));
        }
        Request request;
        const std::size_t space = head.find(' ');
        request.method = head.substr(0, space);
        request.path = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
        request.contentType = headerValue(head, "content-type");
        request.authorization = headerValue(head, "authorization");
        request.body = pending.substr(headEnd + 4, length);
        pending.erase(0, headEnd + 4 + length);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const Answer answer = handler_(request);
        if (answer.stall) {
            while (::recv(client, block, sizeof block, 0) > 0) {
            }
            return;
        }
        const std::size_t bodySize = answer.longBody > 0 ? answer.longBody : answer.body.size();
        const std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + " " +
                                  reasonOf(answer.status) + "\r\nContent-Type: text/plain\r\n" +
                                  answer.headers + "Content-Length: " + std::to_string(bodySize) +
                                  "\r\n\r\n" + (answer.longBody > 0 ? "" : answer.body);
        if (::send(client, reply.data(), reply.size(), MSG_NOSIGNAL) < 0 ||
            !sendLongBody(client, answer))
            return;
    }
}

bool HttpServer::sendLongBody(int client, const Answer& answer) {
    const std::string chunk(answer.chunk, 'x');
    for (std::size_t left = answer.longBody; left > 0;) {
        const ssize_t n = ::send(client, chunk.data(), std::min(left, chunk.size()), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        left -= static_cast<std::size_t>(n);
        longBodySent_ += static_cast<std::size_t>(n);
        std::this_thread::sleep_for(answer.pause);
    }
    return true;
}

} // namespace zelto::test
