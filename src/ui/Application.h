#pragma once
// The application object: its delegate, its key window, and the record of the
// animations the model was asked for. One per process; main thread only.

#include "ui/Font.h"
#include "ui/Object.h"
#include "ui/View.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace instala::ui {

class Application;
class Window;

class ApplicationDelegate : public Object {
 public:
  using Super = Object;
  // Launch: create the window, choose the first screen. The result is the launch's success.
  virtual bool didFinishLaunching(Application& application) = 0;
  virtual void willResignActive(Application&) {}
  virtual void didEnterBackground(Application&) {}
  virtual void willEnterForeground(Application&) {}
  virtual void didBecomeActive(Application&) {}
  virtual void willTerminate(Application&) {}
  // The delegate's window, when it keeps one.
  virtual std::shared_ptr<Window> window() const { return nullptr; }
};

class Application {
 public:
  static Application& shared();

  std::shared_ptr<Window> keyWindow() const { return keyWindow_.lock(); }
  void setKeyWindow(const std::shared_ptr<Window>& window) { keyWindow_ = window; }
  const std::shared_ptr<ApplicationDelegate>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }

  // Hands control to the delegate's launch; false when there is no delegate or it failed.
  bool launch();

  void recordAnimation(const AnimationRequest& request);
  const std::vector<AnimationRequest>& animationRequests() const { return animations_; }
  void clearAnimationRequests() { animations_.clear(); }
  // Called for every recorded animation (the Qt front end animates from it).
  void setAnimationObserver(std::function<void(const AnimationRequest&)> observer) {
    animationObserver_ = std::move(observer);
  }

  // The size of a text in a font, wrapped at `width` on at most `lines` lines
  // (0: as many as it needs; 1: one line, however long). Labels size
  // themselves with it. Without one they use the model's fixed metric; a
  // front end that draws with real fonts installs its own, so self-sizing
  // rows fit the text as it is drawn.
  using TextMeasurer = std::function<Size(const std::string& text, const Font& font, double width, int lines)>;
  const TextMeasurer& textMeasurer() const { return textMeasurer_; }
  void setTextMeasurer(TextMeasurer measurer) { textMeasurer_ = std::move(measurer); }

  // Drops the delegate, the key window, the record and the observers (between tests).
  void reset();

 private:
  std::weak_ptr<Window> keyWindow_;
  std::shared_ptr<ApplicationDelegate> delegate_;
  std::vector<AnimationRequest> animations_;
  std::function<void(const AnimationRequest&)> animationObserver_;
  TextMeasurer textMeasurer_;
};

}  // namespace instala::ui
