#pragma once
// Keeps every received service submission on disk for inspection: one folder
// per submission ("submission-0001", ...) holding fields.json (each text part's
// name and value), each file part under its part name, and manifest.json (each
// file part's original file name, content type and size) and, for a
// submission sent with an idempotency key, idempotency-key (the key's text).
// A folder appears whole or not at all: it is written under a temporary name
// and renamed. A key stored once is never stored again.

#include "platform/Result.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace instala::demo {

struct SubmissionPart {
  std::string name;
  std::string content;
  std::string filename;     // empty for a text part
  std::string contentType;  // empty for a text part
  bool isFile() const { return !filename.empty() || !contentType.empty(); }
};

class SubmissionStore {
 public:
  explicit SubmissionStore(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }

  // Why the parts cannot be stored as they are (a part name that is not a
  // plain file name, a name used twice, no parts at all); nothing when fine.
  static std::optional<std::string> problemWith(const std::vector<SubmissionPart>& parts);

  static constexpr const char* kKeyFile = "idempotency-key";

  // Stores the parts and returns the submission's number (1, 2, ...), which
  // continues after the folders already present.
  platform::Result<int> store(const std::vector<SubmissionPart>& parts);

  struct Stored {
    int number = 0;
    bool fresh = false;  // false: the key was stored before, nothing new was stored
  };
  // Stores the parts once per idempotency key (always, with an empty key).
  platform::Result<Stored> storeOnce(const std::vector<SubmissionPart>& parts, const std::string& idempotencyKey);
  // The submission stored under the key, if any.
  std::optional<int> numberForKey(const std::string& idempotencyKey);

 private:
  void scan();  // mutex_ held

  std::filesystem::path root_;
  std::mutex mutex_;
  bool scanned_ = false;  // the folders already present are read on first use
  int lastNumber_ = 0;
  std::map<std::string, int> keys_;
};

}  // namespace instala::demo
