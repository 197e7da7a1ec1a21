#pragma once
// Classes by name, in place of the phone runtime's class and selector lookup.
// The storyboard and nib loader create objects by class name, connect outlets
// by name and bind controls to action methods by selector name, without
// knowing any screen.
//
// A registered class T
//   - names its superclass: `using Super = ui::TableViewCell;` (selectors,
//     outlets and attributes are looked up along the superclass chain);
//   - may declare `static void describe(ui::ClassDescription<T>& d)` listing its
//     outlets, action methods and interface-file attributes:
//         d.outlet("idLabel", &TicketCell::idLabel)
//          .action("customButtonHandler:", &CustomButtonCell::customButtonHandler);
//   - may declare `static std::shared_ptr<T> create()` when making an object
//     takes more than its constructor (wiring that needs the object's own
//     shared pointer); the registry then makes every instance through it;
//   - is registered with one line: `ClassRegistry::shared().add<TicketCell>();`
//     under its identifier (the C++ class name without namespaces).
// A screen not built yet can stand in as a placeholder of a toolkit class:
// `addPlaceholder<ui::TableViewController>("ClosedTableViewController")`. The
// loader records a placeholder's outlets without type checks; replacing the
// line by add<T>() makes the class real.

#include "ui/Color.h"
#include "ui/Object.h"

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace instala::ui {

// A value of an interface file attribute: a flag, a number or a text (colours
// are texts: a colour name or "#RRGGBB[AA]").
using AttributeValue = std::variant<bool, double, std::string>;

template <typename T>
class ClassDescription;

class ClassRegistry {
 public:
  using Factory = std::function<std::shared_ptr<Object>()>;
  // Each returns an error text, or nothing on success.
  using OutletSetter = std::function<std::optional<std::string>(Object&, const std::shared_ptr<Object>&)>;
  using ActionMethod = std::function<void(Object&, Object* sender)>;
  using AttributeSetter = std::function<std::optional<std::string>(Object&, const AttributeValue&)>;

  // The process's registry; it knows the toolkit's own classes from the start.
  static ClassRegistry& shared();

  template <typename T>
  void add();
  template <typename Base>
  void addPlaceholder(const std::string& name);
  // Adds an action method to an already registered class (and so to its subclasses).
  template <typename T>
  void addAction(const std::string& selector, std::function<void(T&, Object* sender)> method);

  bool contains(const std::string& name) const;
  bool isPlaceholder(const std::string& name) const;
  std::optional<std::string> superclassOf(const std::string& name) const;
  // Whether name is ancestor or one of its subclasses.
  bool isKindOf(const std::string& name, const std::string& ancestor) const;
  std::vector<std::string> classNames() const;

  // A new object of the class, its className() set to the name; null when unknown.
  std::shared_ptr<Object> instantiate(const std::string& name) const;

  bool hasOutlet(const std::string& className, const std::string& outlet) const;
  bool hasAction(const std::string& className, const std::string& selector) const;
  bool hasAttribute(const std::string& className, const std::string& attribute) const;

  // Records the outlet on the owner and sets the member that the class declares for it.
  // An error for a wrong type, or for an outlet that a class that is not a placeholder lacks.
  std::optional<std::string> connectOutlet(Object& owner, const std::string& outlet,
                                           const std::shared_ptr<Object>& value) const;
  // Runs the action method; false when the target's class chain has none.
  bool perform(Object& target, const std::string& selector, Object* sender) const;
  std::optional<std::string> setAttribute(Object& object, const std::string& attribute,
                                          const AttributeValue& value) const;

  struct ClassInfo {
    std::string superclass;
    Factory factory;
    bool placeholder = false;
    std::map<std::string, OutletSetter> outlets;
    std::map<std::string, ActionMethod> actions;
    std::map<std::string, AttributeSetter> attributes;
  };
  void registerClass(const std::string& name, ClassInfo info);

 private:
  ClassRegistry();
  template <typename Map>
  const typename Map::mapped_type* lookUp(const std::string& className, const std::string& key,
                                          Map ClassInfo::*table) const;
  std::map<std::string, ClassInfo> classes_;
};

template <typename T>
class ClassDescription {
 public:
  explicit ClassDescription(ClassRegistry::ClassInfo& info) : info_(info) {}

  // An outlet held weakly (the usual case) or strongly by a member of T or of a base of T.
  template <typename V, typename C>
  ClassDescription& outlet(const std::string& name, std::weak_ptr<V> C::*member) {
    static_assert(std::is_base_of_v<C, T>);
    info_.outlets[name] = [name, member](Object& owner, const std::shared_ptr<Object>& value) {
      return assign<V>(owner, name, value, [member](T& self, std::shared_ptr<V> typed) { self.*member = typed; });
    };
    return *this;
  }
  template <typename V, typename C>
  ClassDescription& outlet(const std::string& name, std::shared_ptr<V> C::*member) {
    static_assert(std::is_base_of_v<C, T>);
    info_.outlets[name] = [name, member](Object& owner, const std::shared_ptr<Object>& value) {
      return assign<V>(owner, name, value, [member](T& self, std::shared_ptr<V> typed) { self.*member = typed; });
    };
    return *this;
  }

  // An action method taking its sender (cast to S; null when the sender is of another class).
  template <typename S, typename C>
  ClassDescription& action(const std::string& selector, void (C::*method)(S*)) {
    static_assert(std::is_base_of_v<C, T>);
    info_.actions[selector] = [method](Object& target, Object* sender) {
      if (auto* self = dynamic_cast<T*>(&target)) (self->*method)(dynamic_cast<S*>(sender));
    };
    return *this;
  }

  // An attribute that an interface file may set on an instance ("placeholderColor": "DarkPurple").
  template <typename C>
  ClassDescription& colorAttribute(const std::string& name, void (C::*setter)(std::optional<Color>)) {
    info_.attributes[name] = [name, setter](Object& object, const AttributeValue& value) -> std::optional<std::string> {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) return "attribute " + name + " takes a colour name or \"#RRGGBB\"";
      auto color = Color::fromHex(*text);
      if (!color) color = Color::named(*text);
      if (auto* self = dynamic_cast<T*>(&object)) (self->*setter)(color);
      return std::nullopt;
    };
    return *this;
  }
  template <typename C>
  ClassDescription& numberAttribute(const std::string& name, void (C::*setter)(double)) {
    info_.attributes[name] = [name, setter](Object& object, const AttributeValue& value) -> std::optional<std::string> {
      const auto* number = std::get_if<double>(&value);
      if (!number) return "attribute " + name + " takes a number";
      if (auto* self = dynamic_cast<T*>(&object)) (self->*setter)(*number);
      return std::nullopt;
    };
    return *this;
  }

 private:
  template <typename V, typename Assign>
  static std::optional<std::string> assign(Object& owner, const std::string& name, const std::shared_ptr<Object>& value,
                                           Assign assignMember) {
    auto* self = dynamic_cast<T*>(&owner);
    if (!self) return "outlet " + name + " belongs to " + typeName<T>() + ", not " + owner.className();
    auto typed = std::dynamic_pointer_cast<V>(value);
    if (value && !typed) {
      return "outlet " + name + " of " + owner.className() + " expects a " + typeName<V>() + ", got a " +
             value->className();
    }
    assignMember(*self, std::move(typed));
    return std::nullopt;
  }

  ClassRegistry::ClassInfo& info_;
};

namespace detail {
template <typename T>
concept Describable = requires(ClassDescription<T>& description) { T::describe(description); };
template <typename T>
concept HasSuper = requires { typename T::Super; };
template <typename T>
concept HasCreate = requires {
  { T::create() } -> std::convertible_to<std::shared_ptr<T>>;
};
}  // namespace detail

template <typename T>
void ClassRegistry::add() {
  static_assert(std::is_base_of_v<Object, T>);
  ClassInfo info;
  if constexpr (detail::HasSuper<T>) info.superclass = typeName<typename T::Super>();
  if constexpr (detail::HasCreate<T>) {
    info.factory = [] { return std::static_pointer_cast<Object>(std::shared_ptr<T>(T::create())); };
  } else {
    info.factory = [] { return std::static_pointer_cast<Object>(std::make_shared<T>()); };
  }
  // Actions added to this class by others (addAction) survive a re-registration.
  const std::string name = typeName<T>();
  if (auto existing = classes_.find(name); existing != classes_.end()) info.actions = existing->second.actions;
  if constexpr (detail::Describable<T>) {
    ClassDescription<T> description(info);
    T::describe(description);
  }
  registerClass(name, std::move(info));
}

template <typename Base>
void ClassRegistry::addPlaceholder(const std::string& name) {
  static_assert(std::is_base_of_v<Object, Base>);
  ClassInfo info;
  info.superclass = typeName<Base>();
  info.placeholder = true;
  info.factory = [] { return std::static_pointer_cast<Object>(std::make_shared<Base>()); };
  registerClass(name, std::move(info));
}

template <typename T>
void ClassRegistry::addAction(const std::string& selector, std::function<void(T&, Object* sender)> method) {
  auto found = classes_.find(typeName<T>());
  if (found == classes_.end()) return;
  found->second.actions[selector] = [method = std::move(method)](Object& target, Object* sender) {
    if (auto* self = dynamic_cast<T*>(&target)) method(*self, sender);
  };
}

}  // namespace instala::ui
