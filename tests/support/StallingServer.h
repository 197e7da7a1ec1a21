#pragma once
// A loopback server for one upload that stops reading the body after a number
// of bytes, so the client's buffers fill and its transfer stalls mid-body. When
// told to go on, it reads everything the client still sends until the client
// closes the connection, and reports how many body bytes arrived in all.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace instala::testing {

class StallingServer {
 public:
  struct Result {
    std::uint64_t declaredLength = 0;  // the request's Content-Length
    std::uint64_t bodyBytes = 0;       // body bytes that arrived
    bool closedByClient = false;       // the client closed the connection (end of stream or reset)
  };

  explicit StallingServer(std::size_t stallAfter) : stallAfter_(stallAfter) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    // A small receive window: the client's bytes pile up in its own buffers.
    int small = 16 * 1024;
    setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~StallingServer() {
    goOn();
    shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }
  StallingServer(const StallingServer&) = delete;
  StallingServer& operator=(const StallingServer&) = delete;

  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  // Whether the server has read its share of the body and stopped reading.
  bool stalled() const {
    std::lock_guard lock(mutex_);
    return stalled_;
  }
  // Reads the rest of what the client sends, until it closes.
  void goOn() {
    std::lock_guard lock(mutex_);
    goOn_ = true;
    changed_.notify_all();
  }
  // What arrived; nothing while the connection is still open.
  std::optional<Result> result(std::chrono::seconds timeout = std::chrono::seconds(30)) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return result_.has_value(); });
    return result_;
  }

 private:
  // Up to `limit` bytes, waiting at most 30 s for each piece; 0 at the end of the stream.
  ssize_t readSome(int socket, char* buffer, std::size_t limit, bool& reset) {
    pollfd ready{socket, POLLIN, 0};
    if (poll(&ready, 1, 30'000) <= 0) return -1;
    const ssize_t count = recv(socket, buffer, limit, 0);
    if (count < 0 && errno == ECONNRESET) reset = true;
    return count;
  }

  void serve() {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    Result result;
    bool reset = false;
    std::string head;
    char buffer[16 * 1024];
    std::uint64_t body = 0;
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t count = readSome(client, buffer, sizeof buffer, reset);
      if (count <= 0) break;
      head.append(buffer, static_cast<std::size_t>(count));
    }
    if (const auto end = head.find("\r\n\r\n"); end != std::string::npos) {
      body = head.size() - end - 4;
      if (const auto at = head.find("Content-Length: "); at != std::string::npos) {
        const char* digits = head.data() + at + 16;
        std::from_chars(digits, head.data() + head.size(), result.declaredLength);
      }
    }
    while (body < stallAfter_) {
      const ssize_t count = readSome(client, buffer, std::min(sizeof buffer, stallAfter_ - body), reset);
      if (count <= 0) break;
      body += static_cast<std::uint64_t>(count);
    }
    {
      std::unique_lock lock(mutex_);
      stalled_ = true;
      changed_.wait(lock, [this] { return goOn_; });
    }
    for (;;) {
      const ssize_t count = readSome(client, buffer, sizeof buffer, reset);
      if (count == 0 || reset) {
        result.closedByClient = true;
        break;
      }
      if (count < 0) break;
      body += static_cast<std::uint64_t>(count);
    }
    result.bodyBytes = body;
    close(client);
    std::lock_guard lock(mutex_);
    result_ = result;
    changed_.notify_all();
  }

  std::size_t stallAfter_;
  int listener_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stalled_ = false;
  bool goOn_ = false;
  std::optional<Result> result_;
  std::thread thread_;
};

}  // namespace instala::testing
