#pragma once
// The retained view model. A view owns its subviews; the superview pointer is
// a plain back-pointer, valid while the view is in the tree. Front ends draw
// this tree; tests inspect it.

#include "ui/Color.h"
#include "ui/Geometry.h"
#include "ui/Layer.h"
#include "ui/LayoutConstraint.h"
#include "ui/Object.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace instala::ui {

class GestureRecognizer;
class ViewController;
class Window;

// A simple stack layout that interface files give to container views.
struct StackLayout {
  enum class Axis { vertical, horizontal };
  // Across a horizontal stack: children fill its height (centred when they fix
  // their own), or sit at its top at the height they need.
  enum class Alignment { fill, top };
  Axis axis = Axis::vertical;
  EdgeInsets padding;
  double spacing = 0;
  Alignment alignment = Alignment::fill;
};

// Options of animations and transitions (combinable).
enum class AnimationOptions : unsigned {
  none = 0,
  beginFromCurrentState = 1u << 0,
  allowUserInteraction = 1u << 1,
  curveEaseInOut = 1u << 2,
  transitionCrossDissolve = 1u << 3,
};
constexpr AnimationOptions operator|(AnimationOptions a, AnimationOptions b) {
  return static_cast<AnimationOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(AnimationOptions set, AnimationOptions option) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(option)) != 0;
}

// What an animation or transition asked for. The headless model applies the
// end state at once and records the request; the Qt front end animates it.
struct AnimationRequest {
  enum class Kind { animation, springAnimation, transition };
  Kind kind = Kind::animation;
  double duration = 0;
  double delay = 0;
  double dampingRatio = 1;
  double initialVelocity = 0;
  AnimationOptions options = AnimationOptions::none;
  std::weak_ptr<View> view;  // the transition's view
};

class View : public Object {
 public:
  using Super = Object;

  View();
  explicit View(Rect frame);
  ~View() override;

  // Geometry. Setting the frame changes the bounds' size (through setBounds).
  const Rect& frame() const { return frame_; }
  void setFrame(Rect frame);
  Rect bounds() const { return {0, 0, frame_.width(), frame_.height()}; }
  virtual void setBounds(Rect bounds);
  // The size an interface file fixed ("height", "width"); layout keeps it.
  const std::optional<double>& fixedWidth() const { return fixedWidth_; }
  const std::optional<double>& fixedHeight() const { return fixedHeight_; }
  void setFixedWidth(std::optional<double> width) { fixedWidth_ = width; }
  void setFixedHeight(std::optional<double> height) { fixedHeight_ = height; }

  // Appearance.
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  double alpha() const { return alpha_; }
  void setAlpha(double alpha) { alpha_ = alpha; }
  const std::optional<Color>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<Color> color) { backgroundColor_ = color; }
  // The tint set on this view, else the nearest superview's.
  std::optional<Color> tintColor() const;
  void setTintColor(std::optional<Color> color) { tintColor_ = color; }
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  Layer& layer() { return *layer_; }
  const Layer& layer() const { return *layer_; }
  bool clipsToBounds() const { return layer_->masksToBounds; }
  void setClipsToBounds(bool clips) { layer_->masksToBounds = clips; }

  // Hierarchy.
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  View* superview() const { return superview_; }
  // Adds on top of the other subviews; a view already in another superview moves here.
  void addSubview(const std::shared_ptr<View>& view);
  void insertSubview(const std::shared_ptr<View>& view, std::size_t index);
  void removeFromSuperview();
  Window* window() const;
  bool isDescendantOf(const View& ancestor) const;
  // This view or the first descendant (depth first) with the tag.
  View* viewWithTag(int tag);
  // Hidden itself or inside a hidden superview.
  bool isHiddenInHierarchy() const;
  // The controller whose root view this is, if any.
  ViewController* viewController() const { return viewController_; }
  void setViewController(ViewController* controller) { viewController_ = controller; }

  // Layout: stack layout from interface files, then visual-format constraints.
  const std::optional<StackLayout>& stackLayout() const { return stackLayout_; }
  void setStackLayout(std::optional<StackLayout> layout);
  bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates) { translatesAutoresizingMask_ = translates; }
  const std::vector<LayoutConstraint>& constraints() const { return constraints_; }
  void addConstraints(const std::vector<LayoutConstraint>& constraints);
  void setNeedsLayout() { needsLayout_ = true; }
  bool needsLayout() const { return needsLayout_; }
  // Lays out this view (when needed) and then its subviews.
  void layoutIfNeeded();
  virtual void layoutSubviews();
  // The size the view wants inside the given space (the width is honoured, the height computed).
  virtual Size sizeThatFits(Size space) const;
  void sizeToFit();

  // Drawing: draw() runs for views marked by setNeedsDisplay() when the window updates.
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  void displayIfNeeded();
  virtual void draw(Rect rect);

  // Responders.
  bool isFirstResponder() const { return firstResponder_; }
  bool becomeFirstResponder();
  bool resignFirstResponder();
  // Resigns the first responder among this view and its descendants; force skips their consent.
  bool endEditing(bool force);

  // Gesture recognisers attached to this view.
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }
  void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
  void removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);

  // Sent to every object of an interface file once all its outlets and actions are connected.
  virtual void awakeFromNib() {}

  // A tap that reached this view (after gesture recognisers). The default passes
  // it on to the superview, so a tap on a label inside a row selects the row.
  virtual void handleTap();

  // Animations (see AnimationRequest).
  static void animate(double duration, std::function<void()> animations,
                      std::function<void(bool finished)> completion = nullptr);
  static void animate(double duration, double delay, double dampingRatio, double initialVelocity,
                      AnimationOptions options, std::function<void()> animations,
                      std::function<void(bool finished)> completion);
  static void transition(const std::shared_ptr<View>& view, double duration, AnimationOptions options,
                         std::function<void()> animations, std::function<void(bool finished)> completion);

 protected:
  virtual void willMoveToSuperview(View* newSuperview);
  virtual void didMoveToSuperview();
  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool canResignFirstResponder() const { return true; }
  virtual void didBecomeFirstResponder() {}
  virtual void didResignFirstResponder() {}
  // The size of the content alone, for views without a fixed size (labels, buttons…).
  virtual Size intrinsicContentSize() const { return {-1, -1}; }

 private:
  friend class Window;
  void detachFromSuperview();
  View* findFirstResponder();
  void resignAsFirstResponder(bool force);
  Size fittedSize(const View& child, double width) const;
  std::vector<View*> visibleSubviews() const;

  Rect frame_;
  std::optional<double> fixedWidth_;
  std::optional<double> fixedHeight_;
  bool hidden_ = false;
  double alpha_ = 1;
  std::optional<Color> backgroundColor_;
  std::optional<Color> tintColor_;
  int tag_ = 0;
  bool userInteractionEnabled_ = true;
  std::shared_ptr<Layer> layer_;
  std::vector<std::shared_ptr<View>> subviews_;
  View* superview_ = nullptr;
  ViewController* viewController_ = nullptr;
  std::optional<StackLayout> stackLayout_;
  bool translatesAutoresizingMask_ = true;
  std::vector<LayoutConstraint> constraints_;
  bool needsLayout_ = true;
  bool needsDisplay_ = true;
  bool firstResponder_ = false;
  std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers_;
};

}  // namespace instala::ui
