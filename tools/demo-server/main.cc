// instala-demo-server: the application's HTTP API on loopback, for development
// and end-to-end tests. See README.md, "Demo server".

#include "DemoServer.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using instala::demo::DemoServer;
using instala::demo::DemoServerOptions;

constexpr int kDefaultPort = 8765;

const char* kUsage =
    "usage: instala-demo-server [options]\n"
    "\n"
    "Serves the Instala HTTP API with sample tickets on 127.0.0.1.\n"
    "\n"
    "  --port N              port to listen on (default 8765; 0 picks a free port)\n"
    "  --bundle DIR          application bundle whose Endpoints.plist gives the paths\n"
    "                        (default: $INSTALA_BUNDLE, then the bundle next to this program,\n"
    "                        else ../share/instala/bundle from it)\n"
    "  --data-file FILE      sample tickets (default: demo-data/tickets.json next to this program,\n"
    "                        else ../share/instala/demo-data/tickets.json from it)\n"
    "  --submissions DIR     where received submissions are stored (default: ./demo-submissions)\n"
    "  --fail-submissions N  answer the first N submissions with status 500 and store nothing\n"
    "  --drop-after-body N   then store the next N submissions but close the connection\n"
    "                        without answering (their retry must not store them twice)\n"
    "  --help                show this text\n"
    "\n"
    "Demo credentials: tecnico@instala.mx / Instala2026\n";

std::optional<int> parseNumber(const std::string& text, int maximum) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  int value = std::stoi(text);
  if (value > maximum) return std::nullopt;
  return value;
}

int usageError(const std::string& problem) {
  std::cerr << "instala-demo-server: " << problem << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int port = kDefaultPort;
  std::optional<fs::path> bundle;
  DemoServerOptions options;
  options.dataFile = instala::platform::Paths::shippedFolder("demo-data") / "tickets.json";
  options.submissionsDirectory = "demo-submissions";
  options.log = &std::cout;

  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc)
      return usageError(flag.rfind("--", 0) == 0 ? flag + " needs a value" : "unknown argument " + flag);
    const std::string value = argv[++i];
    if (flag == "--port") {
      auto number = parseNumber(value, 65535);
      if (!number) return usageError("--port needs a number from 0 to 65535");
      port = *number;
    } else if (flag == "--bundle") {
      bundle = value;
    } else if (flag == "--data-file") {
      options.dataFile = value;
    } else if (flag == "--submissions") {
      options.submissionsDirectory = value;
    } else if (flag == "--fail-submissions") {
      auto number = parseNumber(value, 1000000);
      if (!number) return usageError("--fail-submissions needs a number");
      options.failSubmissions = *number;
    } else if (flag == "--drop-after-body") {
      auto number = parseNumber(value, 1000000);
      if (!number) return usageError("--drop-after-body needs a number");
      options.dropAfterBody = *number;
    } else {
      return usageError("unknown option " + flag);
    }
  }
  options.bundleDirectory = instala::platform::Bundle::locate(bundle);
  options.submissionsDirectory = fs::absolute(options.submissionsDirectory);

  auto server = DemoServer::create(options);
  if (!server) {
    std::cerr << "instala-demo-server: " << server.error().message << std::endl;
    return 1;
  }
  auto bound = (*server)->bind(port);
  if (!bound) {
    std::cerr << "instala-demo-server: " << bound.error().message << std::endl;
    return 1;
  }
  // Scripts and tests read the port from this first line.
  std::cout << "instala-demo-server listening on http://" << DemoServer::kHost << ":" << *bound << std::endl;
  std::cout << "Demo credentials: " << DemoServer::kDemoEmail << " / " << DemoServer::kDemoPassword << "\n"
            << "Bundle: " << options.bundleDirectory.string() << "\n"
            << "Sample data: " << options.dataFile.string() << "\n"
            << "Submissions are stored in: " << options.submissionsDirectory.string() << "\n";
  if (options.failSubmissions > 0) {
    std::cout << "The first " << options.failSubmissions << " submission(s) will fail with status 500\n";
  }
  if (options.dropAfterBody > 0) {
    std::cout << "Then " << options.dropAfterBody << " submission(s) will be stored without an answer\n";
  }
  std::cout << std::flush;
  return (*server)->listen() ? 0 : 1;
}
