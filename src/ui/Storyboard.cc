#include "ui/Storyboard.h"

#include "platform/Bundle.h"
#include "platform/FileSystem.h"
#include "ui/ClassRegistry.h"
#include "ui/InterfaceLoader.h"
#include "ui/NavigationController.h"
#include "ui/TabBarController.h"
#include "ui/ViewController.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <set>

namespace instala::ui {
namespace {

using Json = nlohmann::json;

// Containers nest a few levels (tabs → navigation → screen); deeper means a loop.
constexpr int maximumNesting = 8;

bool checkKeys(const Json& node, const std::set<std::string>& allowed, const std::string& where,
               std::vector<std::string>& errors) {
  if (!node.is_object()) {
    errors.push_back(where + ": must be a JSON object");
    return false;
  }
  for (const auto& [key, value] : node.items()) {
    if (!allowed.count(key)) errors.push_back(where + ": unknown key \"" + key + "\"");
  }
  return true;
}

std::string textOf(const Json& node, const char* key, const std::string& where, std::vector<std::string>& errors) {
  auto found = node.find(key);
  if (found == node.end()) return {};
  if (!found->is_string()) {
    errors.push_back(where + ": \"" + key + "\" must be a text");
    return {};
  }
  return found->get<std::string>();
}

std::shared_ptr<View> buildSceneView(const Json& view, const std::string& where, ViewController& owner,
                                     std::vector<std::string>& errors) {
  InterfaceLoader loader(where, owner.sharedAs<ViewController>());
  auto root = loader.buildView(view, "view");
  loader.awakeAll();
  errors.insert(errors.end(), loader.errors().begin(), loader.errors().end());
  return root;
}

}  // namespace

std::shared_ptr<Storyboard> Storyboard::named(const std::string& name) {
  auto storyboard = load(platform::Bundle::main().root() / (name + ".storyboard.json"));
  if (!storyboard) {
    std::cerr << storyboard.error().message << "\n";
    return nullptr;
  }
  return storyboard.value();
}

platform::Result<std::shared_ptr<Storyboard>> Storyboard::load(const std::filesystem::path& file) {
  std::string name = file.filename().string();
  if (auto suffix = name.find(".storyboard.json"); suffix != std::string::npos) name.erase(suffix);
  auto bytes = platform::readFile(file);
  if (!bytes) return platform::Error{"storyboard " + name + ": cannot read " + file.string()};
  auto json = Json::parse(bytes->begin(), bytes->end(), nullptr, false);
  if (json.is_discarded()) return platform::Error{"storyboard " + name + ": " + file.string() + " is not valid JSON"};
  return fromJSON(name, json);
}

std::optional<SegueTemplate> Storyboard::parseSegue(const Json& node, const std::string& path,
                                                    std::vector<std::string>& errors) const {
  if (!checkKeys(node, {"id", "to", "kind", "comment"}, path, errors)) return std::nullopt;
  SegueTemplate segue;
  segue.identifier = textOf(node, "id", path, errors);
  segue.destination = textOf(node, "to", path, errors);
  const std::string kind = textOf(node, "kind", path, errors);
  if (kind == "push") {
    segue.kind = SegueKind::push;
  } else if (kind == "modal") {
    segue.kind = SegueKind::modal;
  } else if (kind == "replaceRoot") {
    segue.kind = SegueKind::replaceRoot;
  } else {
    errors.push_back(path + ": \"kind\" must be push, modal or replaceRoot");
    return std::nullopt;
  }
  if (segue.destination.empty()) {
    errors.push_back(path + ": \"to\" must name the destination scene");
    return std::nullopt;
  }
  return segue;
}

std::optional<Storyboard::BarButton> Storyboard::parseBarButton(const Json& node, const std::string& path,
                                                                std::vector<std::string>& errors) const {
  if (!checkKeys(node, {"title", "image", "outlet", "action", "segue", "comment"}, path, errors)) return std::nullopt;
  BarButton button;
  button.title = textOf(node, "title", path, errors);
  button.image = textOf(node, "image", path, errors);
  button.outlet = textOf(node, "outlet", path, errors);
  button.action = textOf(node, "action", path, errors);
  if (auto segue = node.find("segue"); segue != node.end()) button.segue = parseSegue(*segue, path + ".segue", errors);
  return button;
}

platform::Result<std::shared_ptr<Storyboard>> Storyboard::fromJSON(const std::string& name, const Json& json) {
  std::vector<std::string> errors;
  const std::string where = "storyboard " + name;
  if (!InterfaceLoader::nestingWithinLimit(json)) {
    return platform::Error{where + ": nested deeper than " + std::to_string(kMaximumInterfaceNesting) + " levels"};
  }
  auto storyboard = std::shared_ptr<Storyboard>(new Storyboard());
  storyboard->name_ = name;
  if (!checkKeys(json, {"initialScene", "scenes", "comment"}, where, errors)) return platform::Error{InterfaceLoader::joinedErrors(errors)};
  storyboard->initial_ = textOf(json, "initialScene", where, errors);
  auto scenes = json.find("scenes");
  if (scenes == json.end() || !scenes->is_array()) return platform::Error{where + ": \"scenes\" must be an array"};

  for (std::size_t i = 0; i < scenes->size(); ++i) {
    const Json& node = (*scenes)[i];
    std::string path = where + ": scenes[" + std::to_string(i) + "]";
    if (!checkKeys(node,
                   {"id", "class", "title", "tabBarItem", "rightBarButton", "leftBarButton", "segues", "root", "tabs",
                    "view", "comment"},
                   path, errors)) {
      continue;
    }
    Scene scene;
    scene.identifier = textOf(node, "id", path, errors);
    if (!scene.identifier.empty()) path = where + ": scene " + scene.identifier;
    scene.className = textOf(node, "class", path, errors);
    scene.title = textOf(node, "title", path, errors);
    scene.root = textOf(node, "root", path, errors);
    if (auto item = node.find("tabBarItem"); item != node.end()) {
      if (checkKeys(*item, {"title", "image"}, path + ".tabBarItem", errors)) {
        scene.tabBarItem.title = textOf(*item, "title", path, errors);
        scene.tabBarItem.imageName = textOf(*item, "image", path, errors);
      }
    }
    if (auto button = node.find("rightBarButton"); button != node.end()) {
      scene.rightBarButton = storyboard->parseBarButton(*button, path + ".rightBarButton", errors);
    }
    if (auto button = node.find("leftBarButton"); button != node.end()) {
      scene.leftBarButton = storyboard->parseBarButton(*button, path + ".leftBarButton", errors);
    }
    if (auto segues = node.find("segues"); segues != node.end()) {
      if (!segues->is_array()) {
        errors.push_back(path + ": \"segues\" must be an array");
      } else {
        for (std::size_t s = 0; s < segues->size(); ++s) {
          auto segue = storyboard->parseSegue((*segues)[s], path + ".segues[" + std::to_string(s) + "]", errors);
          if (segue) scene.segues.push_back(*segue);
        }
      }
    }
    if (auto tabs = node.find("tabs"); tabs != node.end()) {
      if (!tabs->is_array() || !std::all_of(tabs->begin(), tabs->end(), [](const Json& t) { return t.is_string(); })) {
        errors.push_back(path + ": \"tabs\" must be an array of scene identifiers");
      } else {
        for (const auto& tab : *tabs) scene.tabs.push_back(tab.get<std::string>());
      }
    }
    if (auto view = node.find("view"); view != node.end() && !view->is_null()) {
      scene.view = std::make_shared<const Json>(*view);
    }
    if (scene.identifier.empty() || scene.className.empty()) {
      errors.push_back(path + ": a scene needs \"id\" and \"class\"");
      continue;
    }
    if (storyboard->scenes_.count(scene.identifier)) {
      errors.push_back(path + ": the identifier is used twice");
      continue;
    }
    storyboard->order_.push_back(scene.identifier);
    storyboard->scenes_.emplace(scene.identifier, std::move(scene));
  }

  const auto& registry = ClassRegistry::shared();
  for (const auto& id : storyboard->order_) {
    const Scene& scene = storyboard->scenes_.at(id);
    const std::string path = where + ": scene " + id;
    auto exists = [&](const std::string& target, const std::string& what) {
      if (!storyboard->scenes_.count(target)) errors.push_back(path + ": " + what + " \"" + target + "\" is no scene");
    };
    if (!registry.isKindOf(scene.className, typeName<ViewController>())) {
      errors.push_back(path + ": \"" + scene.className + "\" is not a registered screen class");
      continue;
    }
    const bool navigation = registry.isKindOf(scene.className, typeName<NavigationController>());
    const bool tabs = registry.isKindOf(scene.className, typeName<TabBarController>());
    if (navigation && scene.root.empty()) errors.push_back(path + ": a navigation controller needs a \"root\"");
    if (!navigation && !scene.root.empty()) errors.push_back(path + ": only a navigation controller has a \"root\"");
    if (tabs && scene.tabs.empty()) errors.push_back(path + ": a tab bar controller needs \"tabs\"");
    if (!tabs && !scene.tabs.empty()) errors.push_back(path + ": only a tab bar controller has \"tabs\"");
    if (!scene.root.empty()) exists(scene.root, "root");
    for (const auto& tab : scene.tabs) exists(tab, "tab");
    for (const auto& segue : scene.segues) exists(segue.destination, "segue destination");
    for (const auto* button : {&scene.rightBarButton, &scene.leftBarButton}) {
      if (*button && (*button)->segue) exists((*button)->segue->destination, "segue destination");
    }
  }
  if (!storyboard->initial_.empty() && !storyboard->scenes_.count(storyboard->initial_)) {
    errors.push_back(where + ": the initial scene \"" + storyboard->initial_ + "\" is no scene");
  }
  if (!errors.empty()) return platform::Error{InterfaceLoader::joinedErrors(errors)};

  // Making every scene once (view included) finds outlet, action and view-tree problems now.
  for (const auto& id : storyboard->order_) {
    auto controller = storyboard->instantiate(id, errors, 0);
    const Scene& scene = storyboard->scenes_.at(id);
    if (controller && scene.view) buildSceneView(*scene.view, where + ": scene " + id, *controller, errors);
  }
  if (!errors.empty()) return platform::Error{InterfaceLoader::joinedErrors(errors)};
  return storyboard;
}

std::vector<std::string> Storyboard::sceneIdentifiers() const { return order_; }

const Storyboard::Scene* Storyboard::scene(const std::string& identifier) const {
  auto found = scenes_.find(identifier);
  return found == scenes_.end() ? nullptr : &found->second;
}

const SegueTemplate* Storyboard::segue(const std::string& sceneIdentifier, const std::string& segueIdentifier) const {
  const Scene* source = scene(sceneIdentifier);
  if (!source) return nullptr;
  for (const auto& segue : source->segues) {
    if (segue.identifier == segueIdentifier) return &segue;
  }
  return nullptr;
}

std::shared_ptr<ViewController> Storyboard::instantiateViewController(const std::string& identifier) {
  std::vector<std::string> errors;
  auto controller = instantiate(identifier, errors, 0);
  for (const auto& error : errors) std::cerr << error << "\n";
  return controller;
}

std::shared_ptr<ViewController> Storyboard::instantiateInitialViewController() {
  if (initial_.empty()) return nullptr;
  return instantiateViewController(initial_);
}

std::shared_ptr<BarButtonItem> Storyboard::makeBarButton(const BarButton& description, ViewController& owner,
                                                         const std::string& path, std::vector<std::string>& errors) {
  auto item = std::make_shared<BarButtonItem>();
  item->setTitle(description.title);
  if (!description.image.empty()) item->setImage(Image::named(description.image));
  const std::string ownerClass = owner.className();
  if (!description.action.empty()) {
    if (!owner.respondsToSelector(description.action) && !ClassRegistry::shared().isPlaceholder(ownerClass)) {
      errors.push_back(path + ": " + ownerClass + " has no action method " + description.action);
    }
    item->setTarget(owner.weak_from_this());
    item->setAction(description.action);
  }
  if (description.segue) item->setTriggeredSegue(owner.sharedAs<ViewController>(), *description.segue);
  if (!description.outlet.empty()) {
    if (auto error = ClassRegistry::shared().connectOutlet(owner, description.outlet, item)) {
      errors.push_back(path + ": " + *error);
    }
  }
  return item;
}

std::shared_ptr<ViewController> Storyboard::instantiate(const std::string& identifier, std::vector<std::string>& errors,
                                                        int depth) {
  const Scene* scene = this->scene(identifier);
  const std::string path = "storyboard " + name_ + ": scene " + identifier;
  if (!scene) return nullptr;
  if (depth > maximumNesting) {
    errors.push_back(path + ": containers nest too deep (a loop?)");
    return nullptr;
  }
  auto controller = std::dynamic_pointer_cast<ViewController>(ClassRegistry::shared().instantiate(scene->className));
  if (!controller) {
    errors.push_back(path + ": \"" + scene->className + "\" is not a registered screen class");
    return nullptr;
  }
  controller->storyboard_ = shared_from_this();
  controller->storyboardIdentifier_ = identifier;
  controller->setTitle(scene->title);
  controller->tabBarItem() = scene->tabBarItem;
  if (scene->rightBarButton) {
    controller->navigationItem().rightBarButtonItem =
        makeBarButton(*scene->rightBarButton, *controller, path + ".rightBarButton", errors);
  }
  if (scene->leftBarButton) {
    controller->navigationItem().leftBarButtonItem =
        makeBarButton(*scene->leftBarButton, *controller, path + ".leftBarButton", errors);
  }
  if (scene->view) {
    controller->sceneViewBuilder_ = [view = scene->view, where = path](ViewController& owner) {
      std::vector<std::string> viewErrors;
      auto root = buildSceneView(*view, where, owner, viewErrors);
      for (const auto& error : viewErrors) std::cerr << error << "\n";
      return root;
    };
  }
  if (auto* navigation = dynamic_cast<NavigationController*>(controller.get())) {
    if (auto root = instantiate(scene->root, errors, depth + 1)) navigation->setViewControllers({root}, false);
  }
  if (auto* tabs = dynamic_cast<TabBarController*>(controller.get())) {
    std::vector<std::shared_ptr<ViewController>> children;
    for (const auto& tab : scene->tabs) {
      if (auto child = instantiate(tab, errors, depth + 1)) children.push_back(child);
    }
    tabs->setViewControllers(std::move(children));
  }
  return controller;
}

}  // namespace instala::ui
