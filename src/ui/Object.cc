#include "ui/Object.h"

#include "ui/ClassRegistry.h"

#include <cxxabi.h>

#include <cstdlib>

namespace instala::ui {

std::string demangledTypeName(const std::type_info& type) {
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : type.name();
  std::free(demangled);
  // Template arguments never appear in registered classes; the last "::" separates the namespaces.
  if (auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
  return name;
}

std::string Object::className() const { return className_.empty() ? demangledTypeName(typeid(*this)) : className_; }

bool Object::respondsToSelector(const std::string& selector) const {
  return ClassRegistry::shared().hasAction(className(), selector);
}

bool Object::performSelector(const std::string& selector, Object* sender) {
  return ClassRegistry::shared().perform(*this, selector, sender);
}

void Object::recordOutlet(const std::string& name, const std::shared_ptr<Object>& object) {
  for (auto& record : outlets_) {
    if (record.name == name) {
      record.object = object;
      return;
    }
  }
  outlets_.push_back({name, object});
}

std::shared_ptr<Object> Object::outlet(const std::string& name) const {
  for (const auto& record : outlets_) {
    if (record.name == name) return record.object.lock();
  }
  return nullptr;
}

}  // namespace instala::ui
