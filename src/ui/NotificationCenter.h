#pragma once
// The toolkit's notification centre: named notifications posted by a sender,
// delivered synchronously to observers registered for that name and sender
// (or for any sender). Main thread only.

#include "ui/Object.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace instala::ui {

inline constexpr const char* textFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline constexpr const char* textFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
inline constexpr const char* textFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";
inline constexpr const char* deviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

struct Notification {
  std::string name;
  Object* object = nullptr;  // the sender
};

class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  static NotificationCenter& defaultCenter();

  // observer is an identity key (usually `this`); a null sender means any sender.
  void addObserver(const void* observer, const std::string& name, const Object* sender, Handler handler);
  // Every registration of the observer.
  void removeObserver(const void* observer);
  void removeObserver(const void* observer, const std::string& name, const Object* sender);
  void post(const std::string& name, Object* sender = nullptr);

  std::size_t registrationCount(const void* observer) const;

 private:
  struct Registration {
    std::uint64_t id;
    const void* observer;
    std::string name;
    const Object* sender;
    Handler handler;
  };
  std::vector<Registration> registrations_;
  std::uint64_t nextId_ = 1;
};

}  // namespace instala::ui
