#pragma once
// Expected failures cross layer boundaries as values: a Result holds either the
// value or an Error with a reason.

#include <string>
#include <utility>
#include <variant>

namespace instala::platform {

struct Error {
  std::string message;
  bool operator==(const Error&) const = default;
};

template <typename T>
class Result {
 public:
  Result(T value) : storage_(std::move(value)) {}
  Result(Error error) : storage_(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(storage_); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return std::get<T>(storage_); }
  T& value() & { return std::get<T>(storage_); }
  T&& value() && { return std::get<T>(std::move(storage_)); }
  const Error& error() const { return std::get<Error>(storage_); }
  const T* operator->() const { return &value(); }
  const T& operator*() const { return value(); }

 private:
  std::variant<T, Error> storage_;
};

}  // namespace instala::platform
