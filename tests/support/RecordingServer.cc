#include "support/RecordingServer.h"

#include <archive.h>
#include <archive_entry.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace instala::testing {
namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string reasonPhrase(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 205: return "Reset Content";
    case 301: return "Moved Permanently";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 422: return "Unprocessable Entity";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    default: return "Status";
  }
}

bool sendAll(int socket, std::string_view data) {
  while (!data.empty()) {
    const ssize_t count = ::send(socket, data.data(), data.size(), MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

std::string coded(std::string_view data, bool gzip) {
  archive* writer = archive_write_new();
  if (gzip) {
    archive_write_add_filter_gzip(writer);
  } else {
    archive_write_add_filter_compress(writer);
  }
  archive_write_set_format_raw(writer);
  archive_write_set_bytes_per_block(writer, 0);
  std::string out(data.size() * 2 + 4096, '\0');
  std::size_t used = 0;
  archive_write_open_memory(writer, out.data(), out.size(), &used);
  archive_entry* entry = archive_entry_new();
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_pathname(entry, "body");
  archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
  archive_write_header(writer, entry);
  archive_write_data(writer, data.data(), data.size());
  archive_entry_free(entry);
  archive_write_close(writer);
  archive_write_free(writer);
  out.resize(used);
  return out;
}

}  // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equalNoCase(key, name)) return value;
  }
  return std::nullopt;
}

std::size_t RecordedRequest::headerCount(std::string_view name) const {
  return static_cast<std::size_t>(std::count_if(
      headers.begin(), headers.end(), [name](const auto& header) { return equalNoCase(header.first, name); }));
}

Reply Reply::json(int status, std::string body) {
  Reply reply;
  reply.status = status;
  reply.headers = {{"Content-Type", "application/json"}};
  reply.body = std::move(body);
  return reply;
}

Reply Reply::noContent(int status) {
  Reply reply;
  reply.status = status;
  // A 204 has no body by definition; a 205 must say that its body is empty.
  reply.contentLength = status != 204;
  return reply;
}

Reply Reply::coded(int status, std::string body, const std::string& coding) {
  Reply reply = json(status, coding == "gzip" ? gzipCoded(body) : compressCoded(body));
  reply.headers.emplace_back("Content-Encoding", coding);
  return reply;
}

Reply Reply::silence() {
  Reply reply;
  reply.silent = true;
  return reply;
}

Reply Reply::dropConnection() {
  Reply reply;
  reply.hangUp = true;
  return reply;
}

Reply Reply::rawThenClose(std::string bytes) {
  Reply reply;
  reply.raw = std::move(bytes);
  return reply;
}

std::string gzipCoded(std::string_view data) { return coded(data, true); }
std::string compressCoded(std::string_view data) { return coded(data, false); }

RecordingServer::RecordingServer(Handler handler, bool keepBodies)
    : keepBodies_(keepBodies), handler_(std::move(handler)) {
  if (::pipe(stopPipe_) != 0) throw std::runtime_error("pipe failed");
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 64) != 0) {
    throw std::runtime_error("cannot listen on the loopback interface");
  }
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

RecordingServer::~RecordingServer() {
  const char stop = 1;
  (void)!::write(stopPipe_[1], &stop, 1);
  acceptor_.join();
  std::vector<std::thread> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (auto& connection : connections) connection.join();
  for (int socket : sockets_) ::close(socket);
  ::close(listener_);
  ::close(stopPipe_[0]);
  ::close(stopPipe_[1]);
}

std::string RecordingServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void RecordingServer::setHandler(Handler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

RecordingServer::Handler RecordingServer::handler() const {
  std::lock_guard lock(mutex_);
  return handler_;
}

void RecordingServer::setHeadHandler(std::function<void(const RecordedRequest&)> handler) {
  std::lock_guard lock(mutex_);
  headHandler_ = std::move(handler);
}

std::function<void(const RecordedRequest&)> RecordingServer::headHandler() const {
  std::lock_guard lock(mutex_);
  return headHandler_;
}

std::vector<RecordedRequest> RecordingServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool RecordingServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

std::size_t RecordingServer::connectionCount() const {
  std::lock_guard lock(mutex_);
  return sockets_.size();
}

// True when the socket has data; false when the server is stopping.
bool RecordingServer::waitReadable(int socket) const {
  pollfd fds[2] = {{socket, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  for (;;) {
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents) return true;
  }
}

void RecordingServer::acceptLoop() {
  for (;;) {
    if (!waitReadable(listener_)) return;
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    std::lock_guard lock(mutex_);
    const std::size_t index = sockets_.size();
    sockets_.push_back(socket);
    connections_.emplace_back([this, socket, index] { serve(socket, index); });
  }
}

void RecordingServer::serve(int socket, std::size_t connection) {
  std::string pending;
  char buffer[65536];
  std::vector<char> discard(keepBodies_ ? 0 : 1 << 20);
  auto receive = [&]() -> bool {
    if (!waitReadable(socket)) return false;
    const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
    if (count <= 0) return false;
    pending.append(buffer, static_cast<std::size_t>(count));
    return true;
  };
  for (;;) {
    std::size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
      if (!receive()) return;
    }
    RecordedRequest request;
    request.connection = connection;
    request.head = pending.substr(0, end + 4);
    pending.erase(0, end + 4);

    std::size_t lineEnd = request.head.find("\r\n");
    const std::string requestLine = request.head.substr(0, lineEnd);
    const auto firstSpace = requestLine.find(' ');
    const auto secondSpace = requestLine.find(' ', firstSpace + 1);
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    std::size_t position = lineEnd + 2;
    while (position < end) {
      lineEnd = request.head.find("\r\n", position);
      const std::string line = request.head.substr(position, lineEnd - position);
      position = lineEnd + 2;
      const auto colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      request.headers.emplace_back(line.substr(0, colon), value);
    }

    if (request.header("Transfer-Encoding")) {
      // The client must always say how long its body is.
      sendAll(socket, "HTTP/1.1 501 Not Implemented\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
      return;
    }
    if (auto expect = request.header("Expect"); expect && equalNoCase(*expect, "100-continue")) {
      sendAll(socket, "HTTP/1.1 100 Continue\r\n\r\n");
    }
    std::uint64_t remaining = 0;
    if (auto length = request.header("Content-Length")) remaining = std::stoull(*length);
    request.bodyLength = remaining;
    if (auto onHead = headHandler()) onHead(request);
    while (remaining > 0) {
      if (pending.empty() && !keepBodies_) {
        // Straight from the socket into the discard buffer, never past this body.
        if (!waitReadable(socket)) return;
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, discard.size()));
        const ssize_t count = ::recv(socket, discard.data(), wanted, 0);
        if (count <= 0) return;
        remaining -= static_cast<std::uint64_t>(count);
        continue;
      }
      if (pending.empty() && !receive()) return;
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, pending.size()));
      if (keepBodies_) request.body.append(pending, 0, take);
      pending.erase(0, take);
      remaining -= take;
    }

    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    recorded_.notify_all();
    const Reply reply = handler()(request);

    if (reply.hangUp || reply.raw) {
      if (reply.raw) sendAll(socket, *reply.raw);
      ::shutdown(socket, SHUT_RDWR);
      return;
    }
    if (reply.silent) {
      while (waitReadable(socket)) {
        if (::recv(socket, buffer, sizeof buffer, 0) <= 0) return;
      }
      return;
    }
    std::string answer = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonPhrase(reply.status) + "\r\n";
    for (const auto& [name, value] : reply.headers) answer += name + ": " + value + "\r\n";
    const bool bodyless = reply.status < 200 || reply.status == 204 || reply.status == 304;
    if (reply.contentLength && !bodyless) answer += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    answer += "\r\n";
    if (!bodyless) answer += reply.body;
    if (!sendAll(socket, answer)) return;
  }
}

}  // namespace instala::testing
