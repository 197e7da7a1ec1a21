#pragma once

namespace instala {

// The data the authentication scene could hand to the next scene: none yet.
class AuthenticationDataStore {
 public:
  virtual ~AuthenticationDataStore() = default;
};

}  // namespace instala
