#pragma once
// The answer of the sign-in (and, ignored, of the sign-out).

#include "models/Json.h"
#include "platform/Result.h"

#include <optional>
#include <string>

namespace instala {

class UserProtocol {
 public:
  virtual ~UserProtocol() = default;
  virtual const std::optional<std::string>& name() const = 0;
  virtual const std::optional<std::string>& authToken() const = 0;
};

class User final : public UserProtocol {
 public:
  User() = default;
  User(std::optional<std::string> name, std::optional<std::string> authToken)
      : name_(std::move(name)), authToken_(std::move(authToken)) {}

  // The second form moves the texts out of a document not needed afterwards.
  static platform::Result<User> decode(const Json& value);
  static platform::Result<User> decode(Json&& value);
  Json encode() const;

  const std::optional<std::string>& name() const override { return name_; }
  const std::optional<std::string>& authToken() const override { return authToken_; }
  bool operator==(const User& other) const { return name_ == other.name_ && authToken_ == other.authToken_; }

 private:
  std::optional<std::string> name_;
  std::optional<std::string> authToken_;
};

}  // namespace instala
