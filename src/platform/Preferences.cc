#include "platform/Preferences.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <iostream>

namespace instala::platform {

Preferences::Preferences(std::filesystem::path file) : file_(std::move(file)) { load(); }

Preferences& Preferences::standard() {
  static Preferences store(Paths::preferencesFile());
  return store;
}

void Preferences::open(std::filesystem::path file) {
  std::lock_guard lock(mutex_);
  file_ = std::move(file);
  load();
}

void Preferences::load() {
  values_.clear();
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) return;
  auto bytes = readFile(file_);
  std::optional<PlistValue> root;
  if (bytes && !bytes->empty()) root = decodePropertyList(*bytes);
  if (root && root->is<PlistDict>()) {
    values_ = *root->get<PlistDict>();
    return;
  }
  std::filesystem::path aside = file_;
  aside += ".corrupt";
  std::filesystem::rename(file_, aside, ec);
  std::cerr << "instala: preferences file " << file_.string() << " is unreadable; kept as " << aside.string()
            << ", starting with empty preferences\n";
}

std::optional<std::string> Preferences::save() const {
  auto bytes = encodePropertyList(PlistValue(values_), PlistFormat::xml);
  if (!bytes) {
    std::cerr << "instala: cannot encode the preferences\n";
    return "cannot encode the preferences";
  }
  using std::filesystem::perms;
  auto error = writeFileAtomically(file_, *bytes, perms::owner_read | perms::owner_write);
  if (error) std::cerr << "instala: cannot save the preferences: " << *error << "\n";
  return error;
}

std::optional<PlistValue> Preferences::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> Preferences::stringForKey(const std::string& key) const {
  auto value = objectForKey(key);
  if (!value || !value->is<std::string>()) return std::nullopt;
  return *value->get<std::string>();
}

std::optional<Bytes> Preferences::dataForKey(const std::string& key) const {
  auto value = objectForKey(key);
  if (!value || !value->is<Bytes>()) return std::nullopt;
  return *value->get<Bytes>();
}

std::optional<PlistDict> Preferences::dictionaryForKey(const std::string& key) const {
  auto value = objectForKey(key);
  if (!value || !value->is<PlistDict>()) return std::nullopt;
  return *value->get<PlistDict>();
}

std::optional<std::string> Preferences::setObject(PlistValue value, const std::string& key) {
  std::lock_guard lock(mutex_);
  values_[key] = std::move(value);
  return save();
}

void Preferences::removeObjectForKey(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (values_.erase(key) != 0) save();
}

PlistDict Preferences::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  return values_;
}

std::vector<std::string> Preferences::keys() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [key, value] : values_) names.push_back(key);
  return names;
}

}  // namespace instala::platform
