#pragma once
// The application's standard preferences: one property-list file, rewritten
// atomically (mode 0600) on every change so that a crash never loses the token
// or the stored checklist. A corrupt file is kept aside as "<name>.corrupt" and
// the store starts empty.

#include "platform/PropertyList.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace instala::platform {

class Preferences {
 public:
  explicit Preferences(std::filesystem::path file);

  // The process-wide store, opened on first use at Paths::preferencesFile().
  static Preferences& standard();

  // Re-reads the store from another file (start-up after `--data`, tests).
  void open(std::filesystem::path file);
  const std::filesystem::path& file() const { return file_; }

  std::optional<PlistValue> objectForKey(const std::string& key) const;
  // Only a text value counts; any other kind reads as nothing.
  std::optional<std::string> stringForKey(const std::string& key) const;
  std::optional<Bytes> dataForKey(const std::string& key) const;
  std::optional<PlistDict> dictionaryForKey(const std::string& key) const;

  // Returns why the change could not be saved (it is still kept in memory for
  // this run); nothing once it is on disk.
  std::optional<std::string> setObject(PlistValue value, const std::string& key);
  void removeObjectForKey(const std::string& key);
  PlistDict dictionaryRepresentation() const;
  std::vector<std::string> keys() const;

 private:
  void load();
  std::optional<std::string> save() const;

  mutable std::mutex mutex_;
  std::filesystem::path file_;
  PlistDict values_;
};

}  // namespace instala::platform
