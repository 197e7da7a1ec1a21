#include "ui/ClassRegistry.h"

#include "ui/ToolkitClasses.h"

#include <cstdlib>
#include <iostream>

namespace instala::ui {

ClassRegistry::ClassRegistry() { registerToolkitClasses(*this); }

ClassRegistry& ClassRegistry::shared() {
  // Never destroyed: objects made from it may live until the process ends.
  static auto* registry = new ClassRegistry();
  return *registry;
}

void ClassRegistry::registerClass(const std::string& name, ClassInfo info) { classes_[name] = std::move(info); }

void ClassRegistry::checkSuperclass(const std::string& name, const ClassInfo& info) const {
  auto probe = info.factory();
  for (const auto& [other, otherInfo] : classes_) {
    if (other == name || !otherInfo.isInstance || !otherInfo.isInstance(*probe)) continue;
    if (!info.superclass.empty() && isKindOf(info.superclass, other)) continue;
    std::cerr << "class " << name << " derives from the registered class " << other
              << " but names " << (info.superclass.empty() ? "no superclass" : info.superclass)
              << "; declare `using Super = ...;` with its direct base\n";
    std::abort();
  }
}

bool ClassRegistry::contains(const std::string& name) const { return classes_.count(name) != 0; }

bool ClassRegistry::isPlaceholder(const std::string& name) const {
  auto found = classes_.find(name);
  return found != classes_.end() && found->second.placeholder;
}

std::optional<std::string> ClassRegistry::superclassOf(const std::string& name) const {
  auto found = classes_.find(name);
  if (found == classes_.end() || found->second.superclass.empty()) return std::nullopt;
  return found->second.superclass;
}

bool ClassRegistry::isKindOf(const std::string& name, const std::string& ancestor) const {
  std::optional<std::string> current = name;
  // The chain is short; the bound only guards against a registration loop.
  for (int depth = 0; current && depth < 64; ++depth) {
    if (*current == ancestor) return true;
    current = superclassOf(*current);
  }
  return false;
}

std::vector<std::string> ClassRegistry::classNames() const {
  std::vector<std::string> names;
  for (const auto& [name, info] : classes_) names.push_back(name);
  return names;
}

std::shared_ptr<Object> ClassRegistry::instantiate(const std::string& name) const {
  auto found = classes_.find(name);
  if (found == classes_.end() || !found->second.factory) return nullptr;
  auto object = found->second.factory();
  object->setClassName(name);
  return object;
}

template <typename Map>
const typename Map::mapped_type* ClassRegistry::lookUp(const std::string& className, const std::string& key,
                                                       Map ClassInfo::*table) const {
  std::string current = className;
  for (int depth = 0; depth < 64; ++depth) {
    auto found = classes_.find(current);
    if (found == classes_.end()) return nullptr;
    const Map& entries = found->second.*table;
    if (auto entry = entries.find(key); entry != entries.end()) return &entry->second;
    if (found->second.superclass.empty()) return nullptr;
    current = found->second.superclass;
  }
  return nullptr;
}

bool ClassRegistry::hasOutlet(const std::string& className, const std::string& outlet) const {
  return lookUp(className, outlet, &ClassInfo::outlets) != nullptr;
}

bool ClassRegistry::hasAction(const std::string& className, const std::string& selector) const {
  return lookUp(className, selector, &ClassInfo::actions) != nullptr;
}

bool ClassRegistry::hasAttribute(const std::string& className, const std::string& attribute) const {
  return lookUp(className, attribute, &ClassInfo::attributes) != nullptr;
}

std::optional<std::string> ClassRegistry::connectOutlet(Object& owner, const std::string& outlet,
                                                        const std::shared_ptr<Object>& value) const {
  const std::string className = owner.className();
  if (const auto* setter = lookUp(className, outlet, &ClassInfo::outlets)) {
    if (auto error = (*setter)(owner, value)) return error;
  } else if (!isPlaceholder(className)) {
    return className + " has no outlet " + outlet;
  }
  owner.recordOutlet(outlet, value);
  return std::nullopt;
}

bool ClassRegistry::perform(Object& target, const std::string& selector, Object* sender) const {
  const auto* method = lookUp(target.className(), selector, &ClassInfo::actions);
  if (!method) return false;
  (*method)(target, sender);
  return true;
}

std::optional<std::string> ClassRegistry::setAttribute(Object& object, const std::string& attribute,
                                                       const AttributeValue& value) const {
  const auto* setter = lookUp(object.className(), attribute, &ClassInfo::attributes);
  if (!setter) return object.className() + " has no attribute " + attribute;
  return (*setter)(object, value);
}

}  // namespace instala::ui
