#pragma once
// The answer of the ticket search: every member but "message" carries one
// document path. Unlike the other records, one non-text member fails it whole.

#include "models/Json.h"
#include "platform/Result.h"

#include <optional>
#include <string>
#include <vector>

namespace instala {

class DocumentsProtocol {
 public:
  virtual ~DocumentsProtocol() = default;
  virtual const std::vector<std::optional<std::string>>& documents() const = 0;
};

class Documents final : public DocumentsProtocol {
 public:
  Documents() = default;
  explicit Documents(std::vector<std::optional<std::string>> documents) : documents_(std::move(documents)) {}

  // Members are taken in document order.
  static platform::Result<Documents> decode(const Json& value);

  const std::vector<std::optional<std::string>>& documents() const override { return documents_; }
  std::vector<std::optional<std::string>>& documents() { return documents_; }
  bool operator==(const Documents& other) const { return documents_ == other.documents_; }

 private:
  std::vector<std::optional<std::string>> documents_;
};

}  // namespace instala
