#pragma once
// A bundle for tests that talk to a server of their own: the built bundle's
// Endpoints.plist and a Server-config.plist whose URL is the server's.

#include "platform/Bundle.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace instala::testing {

inline std::filesystem::path bundlePointingAt(const std::filesystem::path& folder, const std::string& baseURL) {
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(platform::Bundle::main().root() / "Endpoints.plist", folder / "Endpoints.plist",
                             std::filesystem::copy_options::overwrite_existing);
  std::ofstream(folder / "Server-config.plist", std::ios::binary | std::ios::trunc)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>URL</key><string>" << baseURL
      << "</string></dict></plist>";
  return folder;
}

}  // namespace instala::testing
