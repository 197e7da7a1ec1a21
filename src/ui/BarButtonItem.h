#pragma once
// A navigation bar button: a title (or image) with a target/action, and
// optionally a segue that the storyboard triggers from it.

#include "ui/Image.h"
#include "ui/Object.h"
#include "ui/StoryboardSegue.h"

#include <memory>
#include <optional>
#include <string>

namespace instala::ui {

class BarButtonItem : public Object {
 public:
  using Super = Object;

  BarButtonItem() = default;
  BarButtonItem(std::string title, std::weak_ptr<Object> target, std::string action)
      : title_(std::move(title)), target_(std::move(target)), action_(std::move(action)) {}

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::optional<Image>& image() const { return image_; }
  void setImage(std::optional<Image> image) { image_ = std::move(image); }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

  std::shared_ptr<Object> target() const { return target_.lock(); }
  void setTarget(std::weak_ptr<Object> target) { target_ = std::move(target); }
  const std::string& action() const { return action_; }
  void setAction(std::string action) { action_ = std::move(action); }

  // The segue the storyboard runs when the item is tapped, from the source screen.
  void setTriggeredSegue(std::weak_ptr<ViewController> source, SegueTemplate segue);
  const std::optional<SegueTemplate>& triggeredSegue() const { return segue_; }

  // A tap: the action goes to the target, then the triggered segue runs. Nothing when disabled.
  void tap();

 private:
  std::string title_;
  std::optional<Image> image_;
  bool enabled_ = true;
  std::weak_ptr<Object> target_;
  std::string action_;
  std::weak_ptr<ViewController> segueSource_;
  std::optional<SegueTemplate> segue_;
};

struct NavigationItem {
  std::optional<std::string> title;  // the screen's title when unset
  std::shared_ptr<BarButtonItem> rightBarButtonItem;
  std::shared_ptr<BarButtonItem> leftBarButtonItem;
  bool hidesBackButton = false;
};

struct TabBarItem {
  std::string title;
  std::string imageName;
  // A short text drawn over the item (a count); none draws nothing.
  std::optional<std::string> badgeValue;
};

}  // namespace instala::ui
