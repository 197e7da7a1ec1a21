#pragma once
// The in-application web browser, showing one address until it is closed.

#include "ui/ViewController.h"

#include <string>

namespace instala::ui {

class SafariViewController : public ViewController {
 public:
  using Super = ViewController;
  explicit SafariViewController(std::string url) : url_(std::move(url)) {}
  const std::string& url() const { return url_; }
  // The "Done" button.
  void done() { dismiss(true); }

 private:
  std::string url_;
};

}  // namespace instala::ui
