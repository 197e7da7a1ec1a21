#pragma once
// Turns the model's animation requests into motions the window can play. The
// model applies an animation's end state at once and reports the request
// before running the animation block; the tracker notes the state of every
// view of the key window at that moment and, on the next turn of the main
// queue, finds the views whose frame, opacity or visibility the block changed.
// The mirror then moves those widgets over the request's duration and curve
// instead of jumping. Window transitions (the root switch's cross-dissolve)
// are handed on as they come.

#include "ui/Application.h"
#include "ui/View.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace instala::desktop {

class AnimationTracker {
 public:
  struct Motion {
    ui::AnimationRequest request;
    // Hidden before the block and shown by it: the view fades in.
    bool appeared = false;
  };

  AnimationTracker();
  ~AnimationTracker();
  AnimationTracker(const AnimationTracker&) = delete;
  AnimationTracker& operator=(const AnimationTracker&) = delete;

  // Becomes the application's animation observer (there is one per process).
  void attach();
  void detach();

  // A transition of the key window was requested (before the window is redrawn).
  std::function<void(const ui::AnimationRequest&)> onTransition;
  // Motions were found; the window should redraw.
  std::function<void()> onMotion;

  // The motion of a view since the last redraw, removed from the tracker.
  std::optional<Motion> takeMotion(const ui::View* view);
  // Every animation (not transition) requested since the last redraw, oldest first.
  // Widgets whose animation is a change of visibility, which the comparison
  // cannot see (the placeholder label shown again before its spring starts),
  // take their timing from here.
  const std::vector<ui::AnimationRequest>& recentRequests() const { return shared_->recent; }
  // The redraw is done: motions not taken and recent requests are dropped.
  void clearMotions();
  bool hasMotions() const;

 private:
  struct Snapshot {
    std::weak_ptr<ui::View> view;
    ui::Rect frame;
    double alpha = 1;
    bool hidden = false;
  };
  struct Tracked {
    std::weak_ptr<ui::View> view;
    Motion motion;
  };
  struct Shared {
    std::map<const ui::View*, Tracked> motions;
    std::vector<ui::AnimationRequest> recent;
    std::function<void()> onMotion;
  };
  void observe(const ui::AnimationRequest& request);

  std::shared_ptr<Shared> shared_;
  bool attached_ = false;
};

}  // namespace instala::desktop
