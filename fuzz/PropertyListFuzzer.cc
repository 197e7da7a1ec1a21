// A property list as the application meets one: the preferences file read at
// start (its token and its stored checklist), and the stored checklist itself.
// What the reader accepts must also survive being written back and read again,
// as the preferences are on every change.

#include "models/ProcessData.h"
#include "platform/Preferences.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

std::filesystem::path preferencesFile() {
  static const instala::testing::TempDir folder;
  return folder / "Preferences.plist";
}

// Containers nested in the value, itself included.
int nesting(const instala::platform::PlistValue& value) {
  int deepest = 0;
  if (const auto* array = value.get<instala::platform::PlistArray>()) {
    for (const auto& item : *array) deepest = std::max(deepest, nesting(item));
  } else if (const auto* dict = value.get<instala::platform::PlistDict>()) {
    for (const auto& [key, item] : *dict) deepest = std::max(deepest, nesting(item));
  } else {
    return 0;
  }
  return deepest + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace instala;
  static const bool quiet = [] {
    std::cerr.rdbuf(nullptr);  // the preferences report every file they set aside
    return true;
  }();
  static_cast<void>(quiet);
  const platform::Bytes bytes(data, data + size);
  static_cast<void>(ProcessData::decodeBytes(bytes));

  // At the limit a reference (UID) written as XML takes one more level.
  if (auto value = platform::decodePropertyList(bytes); value && nesting(*value) < platform::kMaximumPropertyListNesting) {
    for (auto format : {platform::PlistFormat::xml, platform::PlistFormat::binary}) {
      auto written = platform::encodePropertyList(*value, format);
      if (written && !platform::decodePropertyList(*written)) {
        std::fprintf(stderr, "a decoded property list does not read back after being written\n");
        std::abort();
      }
    }
  }

  const auto file = preferencesFile();
  std::error_code ec;
  std::filesystem::remove(file.string() + ".corrupt", ec);
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  platform::Preferences preferences(file);
  static_cast<void>(preferences.stringForKey("token"));
  if (auto stored = preferences.dataForKey("dataElements")) static_cast<void>(ProcessData::decodeBytes(*stored));
  return 0;
}
