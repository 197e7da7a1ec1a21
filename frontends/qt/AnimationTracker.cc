#include "qt/AnimationTracker.h"

#include "platform/RunLoop.h"
#include "ui/Window.h"

#include <vector>

namespace instala::desktop {
namespace {

void collect(ui::View& view, std::vector<std::weak_ptr<ui::View>>& out) {
  out.push_back(std::static_pointer_cast<ui::View>(view.shared_from_this()));
  for (const auto& subview : view.subviews()) collect(*subview, out);
}

}  // namespace

AnimationTracker::AnimationTracker() : shared_(std::make_shared<Shared>()) {}

AnimationTracker::~AnimationTracker() { detach(); }

void AnimationTracker::attach() {
  attached_ = true;
  ui::Application::shared().setAnimationObserver([this](const ui::AnimationRequest& request) { observe(request); });
}

void AnimationTracker::detach() {
  if (!attached_) return;
  attached_ = false;
  ui::Application::shared().setAnimationObserver(nullptr);
}

void AnimationTracker::observe(const ui::AnimationRequest& request) {
  auto window = ui::Application::shared().keyWindow();
  if (request.kind == ui::AnimationRequest::Kind::transition) {
    if (onTransition) onTransition(request);
    return;
  }
  shared_->recent.push_back(request);
  shared_->onMotion = onMotion;
  if (onMotion) onMotion();
  if (!window) return;
  std::vector<std::weak_ptr<ui::View>> views;
  collect(*window, views);
  std::vector<Snapshot> before;
  before.reserve(views.size());
  for (auto& weak : views) {
    auto view = weak.lock();
    before.push_back({weak, view->frame(), view->alpha(), view->isHidden()});
  }
  // The block runs right after this call; its changes are compared on the next turn of the queue.
  std::weak_ptr<Shared> weakShared = shared_;
  platform::RunLoop::main().async([weakShared, request, before = std::move(before)] {
    auto shared = weakShared.lock();
    if (!shared) return;
    bool found = false;
    for (const auto& snapshot : before) {
      auto view = snapshot.view.lock();
      if (!view) continue;
      const bool changed = view->frame() != snapshot.frame || view->alpha() != snapshot.alpha ||
                           view->isHidden() != snapshot.hidden;
      if (!changed) continue;
      shared->motions[view.get()] = {snapshot.view, {request, snapshot.hidden && !view->isHidden()}};
      found = true;
    }
    if (found && shared->onMotion) shared->onMotion();
  });
}

std::optional<AnimationTracker::Motion> AnimationTracker::takeMotion(const ui::View* view) {
  auto found = shared_->motions.find(view);
  if (found == shared_->motions.end()) return std::nullopt;
  std::optional<Motion> motion;
  if (!found->second.view.expired()) motion = found->second.motion;
  shared_->motions.erase(found);
  return motion;
}

void AnimationTracker::clearMotions() {
  shared_->motions.clear();
  shared_->recent.clear();
}

bool AnimationTracker::hasMotions() const { return !shared_->motions.empty(); }

}  // namespace instala::desktop
