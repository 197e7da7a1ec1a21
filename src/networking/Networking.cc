#include "networking/Networking.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace instala {

Networking& Networking::shared() {
  static Networking instance(platform::Bundle::main());
  return instance;
}

Networking::Networking(const platform::Bundle& bundle) : bundle_(bundle) { loadEndpoints(); }

void Networking::loadEndpoints() {
  // Any problem leaves the dictionary empty: every endpoint then resolves to the base URL.
  auto path = bundle_.pathForResource(endpointKey_, "plist");
  if (!path) return;
  auto root = platform::readPropertyListFile(path->string());
  if (!root || !root->is<platform::PlistDict>()) return;
  const platform::PlistValue* endpoints = platform::dictValue(*root, endpointKey_);
  if (endpoints && endpoints->is<platform::PlistDict>()) endpointsDictionary_ = *endpoints->get<platform::PlistDict>();
}

namespace {

// The base URL in its text form: a text is used as it stands, other scalars as they print.
std::optional<std::string> textForm(const platform::PlistValue& value) {
  if (const auto* text = value.get<std::string>()) return *text;
  if (const auto* number = value.get<std::int64_t>()) return std::to_string(*number);
  if (const auto* number = value.get<double>()) return std::to_string(*number);
  if (const auto* flag = value.get<bool>()) return std::string(*flag ? "1" : "0");
  return std::nullopt;
}

}  // namespace

std::string Networking::serverBaseURL() const {
  // An administrator's copy comes before the bundle's; a copy without a usable "URL" is passed over, with a warning.
  for (const auto& path : bundle_.configurationFiles("Server-config", "plist")) {
    if (auto root = platform::readPropertyListFile(path.string()); root && root->is<platform::PlistDict>()) {
      if (const auto* url = platform::dictValue(*root, "URL")) {
        if (auto text = textForm(*url)) return *text;
      }
    }
    std::cerr << "warning: " << path.string() << " is unreadable or has no \"URL\"; skipped" << std::endl;
  }
  std::cerr << kMissingServerConfigMessage << std::endl;
  std::fflush(nullptr);
  // A clean stop without running static destructors while the HTTP worker may still run.
  std::_Exit(EXIT_FAILURE);
}

std::string Networking::endpointURL(Endpoint endpoint) const {
  std::string url = serverBaseURL();
  auto entry = endpointsDictionary_.find(std::string(endpointName(endpoint)));
  if (entry == endpointsDictionary_.end()) return url;
  if (auto path = platform::dictString(entry->second, "URL")) url += *path;
  return url;
}

}  // namespace instala
