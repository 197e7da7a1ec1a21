#include "SubmissionStore.h"

#include "platform/FileSystem.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

namespace instala::demo {
namespace {

namespace fs = std::filesystem;
using platform::Error;

constexpr const char* kFieldsFile = "fields.json";
constexpr const char* kManifestFile = "manifest.json";

bool isPlainFileName(const std::string& name) {
  if (name.empty() || name.size() > 100 || name.front() == '.') return false;
  for (unsigned char c : name) {
    bool allowed =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
    if (!allowed) return false;
  }
  return true;
}

std::string folderName(int number) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "submission-%04d", number);
  return buffer;
}

// The number in "submission-NNNN", or nothing for any other name.
std::optional<int> folderNumber(const std::string& name) {
  constexpr std::string_view prefix = "submission-";
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 || name.compare(0, prefix.size(), prefix) != 0) {
    return std::nullopt;
  }
  int number = 0;
  for (char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

platform::Bytes bytesOf(const std::string& text) { return platform::Bytes(text.begin(), text.end()); }

std::string jsonText(const nlohmann::ordered_json& value) {
  // Parts are raw bytes; invalid UTF-8 must not make the dump throw.
  return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

SubmissionStore::SubmissionStore(fs::path root) : root_(std::move(root)) {}

std::optional<std::string> SubmissionStore::problemWith(const std::vector<SubmissionPart>& parts) {
  if (parts.empty()) return "la solicitud no trae partes";
  std::set<std::string> names;
  for (const auto& part : parts) {
    if (!isPlainFileName(part.name)) return "nombre de parte no válido: \"" + part.name + "\"";
    if (part.isFile() && (part.name == kFieldsFile || part.name == kManifestFile || part.name == kKeyFile)) {
      return "nombre de parte reservado: \"" + part.name + "\"";
    }
    if (!names.insert(part.name).second) return "parte repetida: \"" + part.name + "\"";
  }
  return std::nullopt;
}

void SubmissionStore::scan() {
  if (scanned_) return;
  scanned_ = true;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root_, ec)) {
    auto number = folderNumber(entry.path().filename().string());
    if (!number) continue;
    lastNumber_ = std::max(lastNumber_, *number);
    std::ifstream keyFile(entry.path() / kKeyFile, std::ios::binary);
    std::string key((std::istreambuf_iterator<char>(keyFile)), std::istreambuf_iterator<char>());
    if (!key.empty()) keys_.emplace(key, *number);
  }
}

std::optional<int> SubmissionStore::numberForKey(const std::string& idempotencyKey) {
  std::lock_guard lock(mutex_);
  scan();
  auto found = keys_.find(idempotencyKey);
  if (idempotencyKey.empty() || found == keys_.end()) return std::nullopt;
  return found->second;
}

platform::Result<int> SubmissionStore::store(const std::vector<SubmissionPart>& parts) {
  auto stored = storeOnce(parts, std::string());
  if (!stored) return stored.error();
  return stored->number;
}

platform::Result<SubmissionStore::Stored> SubmissionStore::storeOnce(const std::vector<SubmissionPart>& parts,
                                                                      const std::string& idempotencyKey) {
  if (auto problem = problemWith(parts)) return Error{*problem};
  std::lock_guard lock(mutex_);
  scan();
  if (auto found = keys_.find(idempotencyKey); !idempotencyKey.empty() && found != keys_.end()) {
    return Stored{found->second, false};
  }
  std::error_code ec;
  fs::create_directories(root_, ec);
  if (ec) return Error{"cannot create " + root_.string() + ": " + ec.message()};

  const int number = lastNumber_ + 1;
  const fs::path folder = root_ / folderName(number);
  const fs::path partial = root_ / (folderName(number) + ".partial");
  fs::remove_all(partial, ec);
  fs::create_directory(partial, ec);
  if (ec) return Error{"cannot create " + partial.string() + ": " + ec.message()};

  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  nlohmann::ordered_json manifest = nlohmann::ordered_json::array();
  std::optional<std::string> failure;
  const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
  for (const auto& part : parts) {
    if (!part.isFile()) {
      fields[part.name] = part.content;
      continue;
    }
    manifest.push_back({{"name", part.name},
                        {"filename", part.filename},
                        {"content_type", part.contentType},
                        {"size", part.content.size()}});
    if (!failure) failure = platform::writeFileAtomically(partial / part.name, bytesOf(part.content), perms);
  }
  if (!failure) failure = platform::writeFileAtomically(partial / kFieldsFile, bytesOf(jsonText(fields)), perms);
  if (!failure) failure = platform::writeFileAtomically(partial / kManifestFile, bytesOf(jsonText(manifest)), perms);
  if (!failure && !idempotencyKey.empty()) {
    failure = platform::writeFileAtomically(partial / kKeyFile, bytesOf(idempotencyKey), perms);
  }
  if (!failure) {
    fs::rename(partial, folder, ec);
    if (ec) failure = "cannot rename " + partial.string() + ": " + ec.message();
  }
  if (failure) {
    fs::remove_all(partial, ec);
    return Error{*failure};
  }
  lastNumber_ = number;
  if (!idempotencyKey.empty()) keys_.emplace(idempotencyKey, number);
  return Stored{number, true};
}

}  // namespace instala::demo
