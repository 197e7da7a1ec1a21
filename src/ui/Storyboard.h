#pragma once
// The storyboard: every screen (scene) by storyboard identifier with its
// controller class, title, bar buttons, view tree and segues; the containers
// (tabs, navigation stacks) by the scenes they hold. Each instantiation makes
// new screens. Format: src/ui/InterfaceFiles.md.

#include "platform/Result.h"
#include "ui/BarButtonItem.h"
#include "ui/StoryboardSegue.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

class ViewController;

class Storyboard : public std::enable_shared_from_this<Storyboard> {
 public:
  struct BarButton {
    std::string title;
    std::string image;
    std::string outlet;
    std::string action;
    std::optional<SegueTemplate> segue;  // triggered by a tap
  };
  struct Scene {
    std::string identifier;
    std::string className;
    std::string title;
    TabBarItem tabBarItem;
    std::optional<BarButton> rightBarButton;
    std::optional<BarButton> leftBarButton;
    std::vector<SegueTemplate> segues;
    std::string root;               // a navigation controller's root scene
    std::vector<std::string> tabs;  // a tab bar controller's scenes
    std::shared_ptr<const nlohmann::json> view;  // null when the class makes its own view
  };

  // <name>.storyboard.json in the main bundle; null, with the reasons on the
  // standard error, when missing or broken.
  static std::shared_ptr<Storyboard> named(const std::string& name);
  // Parses and checks every scene (classes, outlets, actions, segue destinations,
  // view trees); the error lists every problem found.
  static platform::Result<std::shared_ptr<Storyboard>> load(const std::filesystem::path& file);
  static platform::Result<std::shared_ptr<Storyboard>> fromJSON(const std::string& name, const nlohmann::json& json);

  const std::string& name() const { return name_; }
  std::vector<std::string> sceneIdentifiers() const;
  const Scene* scene(const std::string& identifier) const;
  const std::string& initialSceneIdentifier() const { return initial_; }
  const SegueTemplate* segue(const std::string& sceneIdentifier, const std::string& segueIdentifier) const;

  // A new screen of that scene (with new children for containers); null when the identifier is unknown.
  std::shared_ptr<ViewController> instantiateViewController(const std::string& identifier);
  std::shared_ptr<ViewController> instantiateInitialViewController();

 private:
  std::shared_ptr<ViewController> instantiate(const std::string& identifier, std::vector<std::string>& errors,
                                              int depth);
  std::optional<BarButton> parseBarButton(const nlohmann::json& node, const std::string& path,
                                          std::vector<std::string>& errors) const;
  std::optional<SegueTemplate> parseSegue(const nlohmann::json& node, const std::string& path,
                                          std::vector<std::string>& errors) const;
  std::shared_ptr<BarButtonItem> makeBarButton(const BarButton& description, ViewController& owner,
                                               const std::string& path, std::vector<std::string>& errors);

  std::string name_;
  std::string initial_;
  std::map<std::string, Scene> scenes_;
  std::vector<std::string> order_;
};

}  // namespace instala::ui
