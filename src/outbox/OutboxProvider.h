#pragma once
// How screens reach the application's outbox: the application delegate owns
// it and offers it through this interface, as a phone application's delegate
// would. Screens that are handed an outbox of their own (tests) use that one.

#include <memory>

namespace instala::outbox {

class Outbox;

class OutboxProvider {
 public:
  virtual ~OutboxProvider() = default;
  virtual std::shared_ptr<Outbox> outbox() const = 0;
};

// The application delegate's outbox; null when the delegate has none.
std::shared_ptr<Outbox> applicationOutbox();

}  // namespace instala::outbox
