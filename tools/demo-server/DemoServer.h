#pragma once
// A development server that speaks the application's HTTP API on loopback:
// sign-in with demo credentials, bearer tokens, the ticket lists, document
// search and the documents themselves, geocoding of the sample addresses, map
// tiles, and a submission endpoint that keeps every received part on disk,
// once per Idempotency-Key: a key it has stored answers the first answer again.
// It is a tool for developers and tests, not part of the application.

#include "CivilDay.h"
#include "DemoData.h"
#include "RouteTable.h"
#include "SessionStore.h"
#include "SubmissionStore.h"
#include "platform/Result.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace instala::demo {

struct DemoServerOptions {
  std::filesystem::path bundleDirectory;       // holds Endpoints.plist (and Info.plist)
  std::filesystem::path dataFile;              // the sample tickets
  std::filesystem::path submissionsDirectory;  // one folder per received submission
  int failSubmissions = 0;                     // answer the first N submissions with 500
  int dropAfterBody = 0;  // then store the next N and close the connection without answering
  std::ostream* log = nullptr;                 // one line per request; none when null
  std::optional<CivilDay> startDay;            // the day the ticket dates count from; today when absent
};

class DemoServer {
 public:
  static constexpr const char* kDemoEmail = "tecnico@instala.mx";
  static constexpr const char* kDemoPassword = "Instala2026";
  static constexpr const char* kHost = "127.0.0.1";

  static platform::Result<std::unique_ptr<DemoServer>> create(DemoServerOptions options);
  ~DemoServer();
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Binds 127.0.0.1 on the port (0 picks a free one) and returns the port.
  platform::Result<int> bind(int port);
  // Serves until stop(); false when it could not serve. Call after bind().
  bool listen();
  // listen() on a thread of its own; returns once connections are accepted.
  void start();
  void stop();

  const DemoData& data() const { return data_; }
  const RouteTable& routes() const { return routes_; }
  const SubmissionStore& submissions() const { return submissions_; }

 private:
  DemoServer(DemoServerOptions options, DemoData data, RouteTable routes);
  void installRoutes();
  bool authorized(const httplib::Request& request, httplib::Response& response) const;

  void signIn(const httplib::Request& request, httplib::Response& response);
  void signOut(const httplib::Request& request, httplib::Response& response);
  void search(const httplib::Request& request, httplib::Response& response) const;
  void postData(const httplib::Request& request, httplib::Response& response);
  void document(const httplib::Request& request, httplib::Response& response) const;
  void geocode(const httplib::Request& request, httplib::Response& response) const;
  void tile(const httplib::Request& request, httplib::Response& response) const;
  void logRequest(const httplib::Request& request, const httplib::Response& response);

  DemoServerOptions options_;
  DemoData data_;
  RouteTable routes_;
  SessionStore sessions_;
  SubmissionStore submissions_;
  std::string tilePng_;
  std::atomic<int> failuresLeft_;
  std::atomic<int> dropsLeft_;
  std::mutex logMutex_;
  std::unique_ptr<httplib::Server> http_;
  std::thread thread_;
};

}  // namespace instala::demo
