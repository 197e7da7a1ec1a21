#pragma once
// The demo server on a free loopback port and a copy of the application
// bundle pointed at it, for end-to-end tests of the front ends.

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <fstream>
#include <regex>
#include <stdexcept>

namespace instala::testing {

class DemoEnvironment {
 public:
  explicit DemoEnvironment(std::vector<std::string> extraServerFlags = {}) {
    std::filesystem::create_directories(dir_ / "submissions");
    std::vector<std::string> flags{"--port", "0", "--bundle", (binaryDirectory() / "bundle").string(),
                                   "--submissions", (dir_ / "submissions").string()};
    flags.insert(flags.end(), extraServerFlags.begin(), extraServerFlags.end());
    server_ = std::make_unique<ChildProcess>(binaryDirectory() / "instala-demo-server", flags);
    auto first = server_->readLine();
    std::smatch match;
    static const std::regex listening("listening on (http://127\\.0\\.0\\.1:[0-9]+)");
    if (!first || !std::regex_search(*first, match, listening)) {
      throw std::runtime_error("the demo server did not start: " + first.value_or("(no output)"));
    }
    baseURL_ = match[1];
    makeBundle();
  }

  const std::string& baseURL() const { return baseURL_; }
  std::filesystem::path bundle() const { return dir_ / "bundle"; }
  std::filesystem::path submissions() const { return dir_ / "submissions"; }
  std::filesystem::path dataDirectory() const { return dir_ / "data"; }
  const TempDir& directory() const { return dir_; }

 private:
  // The built bundle with every loopback address moved to the server's port.
  void makeBundle() {
    std::filesystem::copy(binaryDirectory() / "bundle", bundle(), std::filesystem::copy_options::recursive);
    static const std::regex loopback("http://127\\.0\\.0\\.1:[0-9]+");
    for (const char* name : {"Info.plist", "Server-config.plist"}) {
      auto path = bundle() / name;
      std::string text = readText(path);
      std::ofstream(path, std::ios::binary | std::ios::trunc) << std::regex_replace(text, loopback, baseURL_);
    }
  }

  TempDir dir_;
  std::unique_ptr<ChildProcess> server_;
  std::string baseURL_;
};

}  // namespace instala::testing
