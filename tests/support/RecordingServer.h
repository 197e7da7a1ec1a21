#pragma once
// A loopback HTTP/1.1 server on raw sockets that records every request byte
// for byte (multipart bodies included, which ready-made servers parse away)
// and answers with whatever the test asks for: any status, headers and body,
// coded bodies, a 204 without body, silence, a dropped connection, or raw
// bytes such as an answer cut short. Without kept bodies it is a sink that
// discards bodies as fast as it reads them (for benchmarks).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace instala::testing {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
  std::string head;  // request line and headers, through the empty line
  std::string body;  // exactly as received (empty when bodies are not kept)
  std::uint64_t bodyLength = 0;
  std::string method;
  std::string target;
  HeaderList headers;  // in the order received
  std::size_t connection = 0;

  std::string raw() const { return head + body; }
  // First value of the header (name without regard to case).
  std::optional<std::string> header(std::string_view name) const;
  std::size_t headerCount(std::string_view name) const;
};

struct Reply {
  int status = 200;
  HeaderList headers;
  std::string body;
  bool contentLength = true;  // add Content-Length (never for 1xx, 204, 304)
  bool silent = false;        // read the request, then never answer
  bool hangUp = false;        // read the request, then close without answering
  std::optional<std::string> raw = std::nullopt;  // these bytes instead of a composed answer, then close

  static Reply json(int status, std::string body);
  static Reply noContent(int status = 204);  // no body (205: "Content-Length: 0")
  // The body coded with "gzip" or "compress", and Content-Encoding saying so.
  static Reply coded(int status, std::string body, const std::string& coding);
  static Reply silence();
  static Reply dropConnection();
  static Reply rawThenClose(std::string bytes);
};

// Coded with libarchive's writers, independently of the client's decoder.
std::string gzipCoded(std::string_view data);
std::string compressCoded(std::string_view data);

class RecordingServer {
 public:
  using Handler = std::function<Reply(const RecordedRequest&)>;

  // The handler runs on the connection's thread, after the request is recorded, and may
  // block (to hold an answer back).
  explicit RecordingServer(
      Handler handler = [](const RecordedRequest&) { return Reply::json(200, "{}"); }, bool keepBodies = true);
  ~RecordingServer();
  RecordingServer(const RecordingServer&) = delete;
  RecordingServer& operator=(const RecordingServer&) = delete;

  int port() const { return port_; }
  std::string url(std::string_view path = "") const;
  void setHandler(Handler handler);
  // Runs on the connection's thread once a request's head has arrived, before
  // its body is read; it may block, and the client's body then waits.
  void setHeadHandler(std::function<void(const RecordedRequest&)> handler);

  std::vector<RecordedRequest> requests() const;
  bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  std::size_t connectionCount() const;

 private:
  void acceptLoop();
  void serve(int socket, std::size_t connection);
  bool waitReadable(int socket) const;
  Handler handler() const;
  std::function<void(const RecordedRequest&)> headHandler() const;

  int listener_ = -1;
  int stopPipe_[2] = {-1, -1};
  int port_ = 0;
  bool keepBodies_;
  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  Handler handler_;
  std::function<void(const RecordedRequest&)> headHandler_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::thread> connections_;
  std::vector<int> sockets_;
  std::thread acceptor_;
};

}  // namespace instala::testing
