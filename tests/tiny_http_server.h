// A one-thread HTTP server on the loopback address for the update-check tests: it answers every
// request with a fixed document, or accepts connections and never answers. It stops by itself
// after a bounded time and when destroyed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tinyhttp {

class TinyHttpServer {
 public:
  enum class Mode { Answer, NeverAnswer };

  TinyHttpServer(Mode mode, std::string body, std::string status = "200 OK")
      : mode_(mode), body_(std::move(body)), status_(std::move(status)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // an ephemeral port
    socklen_t length = sizeof(address);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~TinyHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
  }

  TinyHttpServer(const TinyHttpServer&) = delete;
  TinyHttpServer& operator=(const TinyHttpServer&) = delete;

  int port() const { return port_; }
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
  }

  // A loopback port that nobody listens on.
  static int closedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
  }

 private:
  static constexpr auto kLifetime = std::chrono::seconds(30);

  void serve() {
    std::vector<int> held;  // connections that are never answered
    const auto end = std::chrono::steady_clock::now() + kLifetime;
    while (!stop_ && std::chrono::steady_clock::now() < end) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 20) <= 0) continue;
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      const std::string request = readRequest(connection);
      {
        std::lock_guard<std::mutex> guard(mutex_);
        requests_.push_back(request);
      }
      if (mode_ == Mode::NeverAnswer) {
        held.push_back(connection);
        continue;
      }
      const std::string answer = "HTTP/1.1 " + status_ + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                                 std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_;
      std::size_t sent = 0;
      while (sent < answer.size()) {
        const ssize_t n = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      ::close(connection);
    }
    for (int connection : held) ::close(connection);
  }

  // Reads up to the blank line that ends the request's header, for at most a second.
  std::string readRequest(int connection) {
    std::string request;
    char buffer[1024];
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 &&
           std::chrono::steady_clock::now() < end) {
      pollfd readable{connection, POLLIN, 0};
      if (::poll(&readable, 1, 20) <= 0) continue;
      const ssize_t n = ::recv(connection, buffer, sizeof(buffer), 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    return request;
  }

  Mode mode_;
  std::string body_;
  std::string status_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace tinyhttp
