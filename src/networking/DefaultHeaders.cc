#include "networking/DefaultHeaders.h"

#include "platform/Bundle.h"
#include "platform/PreferredLanguages.h"

#include <sys/utsname.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace instala {
namespace {

constexpr std::size_t kMaximumLanguages = 6;

// Info.plist texts go into a header line; control characters would break it.
std::string headerSafe(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, ' ');
  return text;
}

std::string infoText(const platform::PlistValue& info, const char* key) {
  auto value = platform::dictString(info, key);
  return value ? headerSafe(*value) : "Unknown";
}

}  // namespace

std::string acceptLanguageValue(const std::vector<std::string>& languages) {
  std::string value;
  const std::size_t count = std::min(languages.size(), kMaximumLanguages);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t tenths = 10 - i;  // 1.0, 0.9, … 0.5
    if (i > 0) value += ", ";
    value += languages[i] + ";q=" + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  }
  return value;
}

std::string userAgentValue(const std::optional<platform::PlistValue>& infoDictionary,
                           const std::string& operatingSystem) {
  if (!infoDictionary) return "InstalaHTTP";
  const auto& info = *infoDictionary;
  const std::string version = infoText(info, "CFBundleShortVersionString");
  return infoText(info, "CFBundleExecutable") + "/" + version + " (" + infoText(info, "CFBundleIdentifier") +
         "; build:" + infoText(info, "CFBundleVersion") + "; " + operatingSystem + ") InstalaHTTP/" + version;
}

std::string kernelVersion(const std::string& release) {
  std::array<unsigned long, 3> numbers{0, 0, 0};
  std::size_t position = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (position >= release.size() || release[position] != '.') break;
      ++position;
    }
    const std::size_t start = position;
    while (position < release.size() && std::isdigit(static_cast<unsigned char>(release[position]))) ++position;
    if (position == start) break;
    std::from_chars(release.data() + start, release.data() + position, numbers[i]);  // an overflow leaves 0
  }
  return std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." + std::to_string(numbers[2]);
}

std::string operatingSystemDescription() {
  utsname system{};
  if (uname(&system) != 0) return "Linux 0.0.0";
  return std::string("Linux ") + kernelVersion(system.release);
}

HTTPHeaders defaultHTTPHeaders() {
  HTTPHeaders headers{
      {"Accept-Encoding", kAcceptEncoding},
      {"User-Agent", userAgentValue(platform::Bundle::main().infoDictionary(), operatingSystemDescription())}};
  if (auto languages = acceptLanguageValue(platform::preferredLanguages()); !languages.empty()) {
    headers["Accept-Language"] = languages;
  }
  return headers;
}

}  // namespace instala
