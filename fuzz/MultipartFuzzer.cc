// A submission as the demo server receives it: the first line of the input is
// the request's Content-Type ("multipart/form-data; boundary=..."), the rest
// its body. One server runs for the whole process on loopback, signed in
// once; each input is one request on a new connection, and whatever it stored
// is removed again (scripts/fuzz points TMPDIR at memory-backed /dev/shm).

#include "DemoServer.h"
#include "platform/Bundle.h"
#include "support/TempDir.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

namespace {

using instala::demo::DemoServer;

struct Loopback {
  ~Loopback() {
    if (server) server->stop();
  }
  instala::testing::TempDir folder;
  std::filesystem::path submissions = folder / "submissions";
  std::unique_ptr<DemoServer> server;
  int port = 0;
  std::string path;
  std::string token;
};

[[noreturn]] void fail(const std::string& why) {
  std::cerr << "fuzz-multipart: " << why << std::endl;
  std::abort();
}

// Sends one request on a new connection and returns all that came back.
std::string sendRequest(int port, const std::string& request) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) fail("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // Closed with a reset once the answer is read: a thousand connections a
  // second would otherwise use up the local ports in TIME_WAIT within a minute.
  const linger immediately{1, 0};
  setsockopt(socket, SOL_SOCKET, SO_LINGER, &immediately, sizeof immediately);
  if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fail("the server is not there");
  for (std::size_t sent = 0; sent < request.size();) {
    const ssize_t n = send(socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // the server may answer and close before reading a whole bad body
    sent += static_cast<std::size_t>(n);
  }
  // No half-close: the server takes a closed sending side for a client that left and drops the answer.
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = recv(socket, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
  close(socket);
  return answer;
}

std::string post(const Loopback& loopback, const std::string& path, std::string_view contentType,
                 std::string_view body, const std::string& token) {
  std::string request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
  if (!token.empty()) request += "Authorization: Bearer " + token + "\r\n";
  request += "Content-Type: " + std::string(contentType) + "\r\nContent-Length: " + std::to_string(body.size()) +
             "\r\n\r\n" + std::string(body);
  return sendRequest(loopback.port, request);
}

// Starts the server and signs in.
void start(Loopback& loopback) {
  instala::demo::DemoServerOptions options;
  const auto bundle = instala::platform::Bundle::locate(std::nullopt);
  options.bundleDirectory = bundle;
  options.dataFile = bundle.parent_path() / "demo-data" / "tickets.json";
  options.submissionsDirectory = loopback.submissions;
  auto server = DemoServer::create(options);
  if (!server) fail("the demo server does not start: " + server.error().message);
  loopback.server = std::move(server).value();
  auto port = loopback.server->bind(0);
  if (!port) fail(port.error().message);
  loopback.port = *port;
  loopback.server->start();
  loopback.path = loopback.server->routes().path(instala::Endpoint::postData);
  const std::string credentials = std::string("{\"email\":\"") + DemoServer::kDemoEmail + "\",\"password\":\"" +
                                  DemoServer::kDemoPassword + "\"}";
  const std::string signedIn =
      post(loopback, loopback.server->routes().path(instala::Endpoint::signIn), "application/json", credentials, "");
  constexpr std::string_view tokenKey = "\"auth_token\":\"";
  const auto at = signedIn.find(tokenKey);
  if (at == std::string::npos) fail("the sign-in failed: " + signedIn);
  const auto tokenStart = at + tokenKey.size();
  loopback.token = signedIn.substr(tokenStart, signedIn.find('"', tokenStart) - tokenStart);
}

Loopback& loopback() {
  static Loopback instance;
  if (!instance.server) start(instance);
  return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& server = loopback();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  if (newline == std::string_view::npos) return 0;
  std::string_view contentType = input.substr(0, newline);
  if (!contentType.empty() && contentType.back() == '\r') contentType.remove_suffix(1);
  // A header value cannot hold a line break; the request would not be one request.
  if (contentType.find_first_of("\r\n") != std::string_view::npos) return 0;
  const auto send = [&] { return post(server, server.path, contentType, input.substr(newline + 1), server.token); };
  // Under a stream of a thousand connections a second the server now and then
  // drops one unanswered, which never recurs when the input is replayed: only
  // an input that gets no answer twice is a finding.
  if (!send().starts_with("HTTP/1.1 ") && !send().starts_with("HTTP/1.1 ")) fail("the demo server gave no answer");
  std::error_code ec;
  std::filesystem::remove_all(server.submissions, ec);
  return 0;
}
