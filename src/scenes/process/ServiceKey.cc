#include "scenes/process/ServiceKey.h"

#include "outbox/IdempotencyKey.h"
#include "platform/Preferences.h"

namespace instala {

std::string startServiceKey() {
  std::string key = outbox::makeIdempotencyKey();
  platform::Preferences::standard().setObject(key, kIdempotencyKeyPreference);
  return key;
}

std::optional<std::string> storedServiceKey() {
  auto key = platform::Preferences::standard().stringForKey(kIdempotencyKeyPreference);
  if (!key || !outbox::isIdempotencyKey(*key)) return std::nullopt;
  return key;
}

std::string serviceKey() {
  if (auto key = storedServiceKey()) return *key;
  return startServiceKey();
}

}  // namespace instala
