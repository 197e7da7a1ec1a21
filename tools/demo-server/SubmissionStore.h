#pragma once
// Keeps every received service submission on disk for inspection: one folder
// per submission ("submission-0001", ...) holding fields.json (each text part's
// name and value), each file part under its part name, and manifest.json (each
// file part's original file name, content type and size). A folder appears
// whole or not at all: it is written under a temporary name and renamed.

#include "platform/Result.h"

#include <filesystem>
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

  // Stores the parts and returns the submission's number (1, 2, ...), which
  // continues after the folders already present.
  platform::Result<int> store(const std::vector<SubmissionPart>& parts);

 private:
  int nextNumber();

  std::filesystem::path root_;
  std::mutex mutex_;
  int lastNumber_ = -1;  // unknown until the first submission scans the folder
};

}  // namespace instala::demo
