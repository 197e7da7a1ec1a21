#pragma once
// An alert: title, message and buttons as data until a front end shows it.
// Tapping a button dismisses the alert, then runs the button's handler.

#include "ui/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

class AlertAction : public Object {
 public:
  using Super = Object;
  enum class Style { defaultStyle, cancel, destructive };
  using Handler = std::function<void(AlertAction&)>;

  AlertAction(std::string title, Style style, Handler handler)
      : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

  const std::string& title() const { return title_; }
  Style style() const { return style_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  const Handler& handler() const { return handler_; }

 private:
  std::string title_;
  Style style_;
  bool enabled_ = true;
  Handler handler_;
};

class AlertController : public ViewController {
 public:
  using Super = ViewController;
  enum class Style { alert, actionSheet };

  AlertController(std::optional<std::string> title, std::optional<std::string> message, Style style);

  const std::optional<std::string>& title() const { return alertTitle_; }
  const std::optional<std::string>& message() const { return message_; }
  Style preferredStyle() const { return style_; }

  void addAction(std::shared_ptr<AlertAction> action);
  const std::vector<std::shared_ptr<AlertAction>>& actions() const { return actions_; }
  // Must be one of the alert's actions; others are ignored.
  void setPreferredAction(const std::shared_ptr<AlertAction>& action);
  const std::shared_ptr<AlertAction>& preferredAction() const { return preferred_; }

  // The user taps a button: the alert is dismissed, then the handler runs.
  // False for an index out of range or a disabled action.
  bool tapAction(std::size_t index);

 private:
  std::optional<std::string> alertTitle_;
  std::optional<std::string> message_;
  Style style_;
  std::vector<std::shared_ptr<AlertAction>> actions_;
  std::shared_ptr<AlertAction> preferred_;
};

}  // namespace instala::ui
