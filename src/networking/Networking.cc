#include "networking/Networking.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
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

// The base URL in its text form, the way the phone platform describes a value:
//   text     as it stands
//   integer  decimal digits, "-" when negative
//   real     the shortest form that reads back the same: 1.5 is "1.5", 2.0 is "2"
//   Boolean  "1" or "0"
//   data     "<" hex digits in groups of four bytes ">": "<01020304 05>"
//   array    "(" items ", " ")": "(a, 2)"
//   dict     "{" key " = " value "; " ... "}" in key order: "{a = 1; b = x; }"
//   date     "YYYY-MM-DD HH:MM:SS +0000", in UTC, whole seconds
// Any other value (a type added later) reads as empty text, so there is always a
// text form. Only a text can make a valid URL; the others end in the request
// layer's invalid-URL failure, which the screens report like any failed request.
std::optional<std::string> textForm(const platform::PlistValue& value) {
  if (const auto* text = value.get<std::string>()) return *text;
  if (const auto* number = value.get<std::int64_t>()) return std::to_string(*number);
  if (const auto* number = value.get<double>()) {
    std::array<char, 32> digits{};
    auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), *number);
    return error == std::errc() ? std::string(digits.data(), end) : std::string();
  }
  if (const auto* flag = value.get<bool>()) return std::string(*flag ? "1" : "0");
  if (const auto* data = value.get<platform::Bytes>()) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "<";
    for (std::size_t i = 0; i < data->size(); ++i) {
      if (i > 0 && i % 4 == 0) text += ' ';
      text += kHex[(*data)[i] >> 4];
      text += kHex[(*data)[i] & 0xF];
    }
    return text + ">";
  }
  if (const auto* date = value.get<platform::PlistDate>()) {
    constexpr double kUnixTimeOf2001 = 978307200;
    const auto seconds = static_cast<std::time_t>(std::floor(date->secondsSince2001 + kUnixTimeOf2001));
    std::tm parts{};
    std::array<char, 40> text{};
    if (!gmtime_r(&seconds, &parts)) return std::string();
    return std::string(text.data(), std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S +0000", &parts));
  }
  if (const auto* array = value.get<platform::PlistArray>()) {
    std::string text = "(";
    for (std::size_t i = 0; i < array->size(); ++i) text += (i ? ", " : "") + *textForm((*array)[i]);
    return text + ")";
  }
  if (const auto* dict = value.get<platform::PlistDict>()) {
    std::string text = "{";
    for (const auto& [key, item] : *dict) text += key + " = " + *textForm(item) + "; ";
    return text + "}";
  }
  return std::string();
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
