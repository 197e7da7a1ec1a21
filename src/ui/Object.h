#pragma once
// The root of the toolkit's classes. Like the phone runtime's root object it
// knows its class name, answers selector queries and performs action methods
// by name (through the ClassRegistry), and remembers the outlets the interface
// loader connected to it, so front ends and tests can find views by outlet name.

#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace instala::ui {

// A C++ type's name without namespaces ("TicketCell" for instala::TicketCell).
std::string demangledTypeName(const std::type_info& type);

template <typename T>
std::string typeName() {
  return demangledTypeName(typeid(T));
}

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // The name the class registry created this object under, otherwise its type's name.
  std::string className() const;
  void setClassName(std::string name) { className_ = std::move(name); }

  // Whether the class (or a superclass) registered an action method of that name.
  bool respondsToSelector(const std::string& selector) const;
  // Runs that action method with the sender; false when there is none.
  bool performSelector(const std::string& selector, Object* sender);

  struct OutletRecord {
    std::string name;
    std::weak_ptr<Object> object;
  };
  // Outlets in the order the interface loader connected them.
  const std::vector<OutletRecord>& outlets() const { return outlets_; }
  void recordOutlet(const std::string& name, const std::shared_ptr<Object>& object);
  std::shared_ptr<Object> outlet(const std::string& name) const;
  template <typename T>
  std::shared_ptr<T> outlet(const std::string& name) const {
    return std::dynamic_pointer_cast<T>(outlet(name));
  }

  template <typename T>
  std::shared_ptr<T> sharedAs() {
    return std::dynamic_pointer_cast<T>(shared_from_this());
  }
  template <typename T>
  std::shared_ptr<const T> sharedAs() const {
    return std::dynamic_pointer_cast<const T>(shared_from_this());
  }

 private:
  std::string className_;
  std::vector<OutletRecord> outlets_;
};

}  // namespace instala::ui
