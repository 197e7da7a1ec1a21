#include "ui/Application.h"

#include "ui/Window.h"

namespace instala::ui {

namespace {
// Enough history for tests and front ends to look back at a screen's worth of animations.
constexpr std::size_t maximumRecordedAnimations = 256;
}  // namespace

Application& Application::shared() {
  // Never destroyed: the window tree it holds must not be torn down after the other singletons.
  static auto* application = new Application();
  return *application;
}

bool Application::launch() {
  if (!delegate_) return false;
  return delegate_->didFinishLaunching(*this);
}

void Application::recordAnimation(const AnimationRequest& request) {
  if (animations_.size() == maximumRecordedAnimations) animations_.erase(animations_.begin());
  animations_.push_back(request);
  if (animationObserver_) animationObserver_(request);
}

void Application::reset() {
  keyWindow_.reset();
  delegate_.reset();
  animations_.clear();
  animationObserver_ = nullptr;
  textMeasurer_ = nullptr;
}

}  // namespace instala::ui
