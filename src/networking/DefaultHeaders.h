#pragma once
// The headers the session adds to every request that does not set them itself.

#include "networking/HTTPHeaders.h"
#include "platform/PropertyList.h"

#include <optional>
#include <string>
#include <vector>

namespace instala {

// Only what the client can decode (gzip and LZW "compress"), gzip preferred.
inline constexpr const char* kAcceptEncoding = "gzip;q=1.0, compress;q=0.5";

// "es-MX;q=1.0, es;q=0.9, en-US;q=0.8": the first six languages, weights
// 1.0 down to 0.5. Empty when there are no languages.
std::string acceptLanguageValue(const std::vector<std::string>& languages);

// "<executable>/<short version> (<identifier>; build:<build>; <system>) InstalaHTTP/<short version>".
// A missing or non-text entry reads "Unknown"; without an information
// dictionary the whole value is "InstalaHTTP".
std::string userAgentValue(const std::optional<platform::PlistValue>& infoDictionary,
                           const std::string& operatingSystem);

// "Linux 6.1.0": the kernel's major.minor.patch (missing numbers are 0).
std::string operatingSystemDescription();
// The version part of a kernel release text such as "6.1.0-18-amd64" → "6.1.0".
std::string kernelVersion(const std::string& release);

// Accept-Encoding, Accept-Language from the user's preferred languages and
// User-Agent from the main bundle's Info.plist.
HTTPHeaders defaultHTTPHeaders();

}  // namespace instala
