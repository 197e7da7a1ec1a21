#include "ui/NotificationCenter.h"

#include <algorithm>

namespace instala::ui {

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: views that outlive main() still unregister from it.
  static auto* center = new NotificationCenter();
  return *center;
}

void NotificationCenter::addObserver(const void* observer, const std::string& name, const Object* sender,
                                     Handler handler) {
  registrations_.push_back({nextId_++, observer, name, sender, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer) {
  std::erase_if(registrations_, [observer](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name, const Object* sender) {
  std::erase_if(registrations_, [&](const Registration& r) {
    return r.observer == observer && r.name == name && (!sender || r.sender == sender);
  });
}

void NotificationCenter::post(const std::string& name, Object* sender) {
  // Observers may register or unregister while the notification is delivered:
  // deliver to a snapshot, skipping those removed in the meantime.
  std::vector<std::uint64_t> ids;
  for (const auto& r : registrations_) {
    if (r.name == name && (!r.sender || r.sender == sender)) ids.push_back(r.id);
  }
  const Notification notification{name, sender};
  for (auto id : ids) {
    auto found = std::find_if(registrations_.begin(), registrations_.end(),
                              [id](const Registration& r) { return r.id == id; });
    if (found == registrations_.end()) continue;
    Handler handler = found->handler;
    handler(notification);
  }
}

std::size_t NotificationCenter::registrationCount(const void* observer) const {
  return static_cast<std::size_t>(std::count_if(registrations_.begin(), registrations_.end(),
                                                 [observer](const Registration& r) { return r.observer == observer; }));
}

}  // namespace instala::ui
