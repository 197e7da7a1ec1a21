#pragma once
// The demo server's signed-in sessions: random bearer tokens kept in memory
// only, so a restart signs everybody out. Safe to use from the server's threads.

#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace instala::demo {

class SessionStore {
 public:
  // A fresh token for a successful sign-in: 32 random bytes in hexadecimal.
  std::string open();
  bool isOpen(std::string_view token) const;
  // Forgets the token; false when it was not open.
  bool close(std::string_view token);

 private:
  mutable std::mutex mutex_;
  std::set<std::string, std::less<>> tokens_;
};

}  // namespace instala::demo
