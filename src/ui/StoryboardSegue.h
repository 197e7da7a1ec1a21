#pragma once
// A storyboard transition: the template the storyboard holds, and the segue
// object a screen receives in prepareForSegue with source and destination.

#include "ui/Object.h"

#include <memory>
#include <string>

namespace instala::ui {

class ViewController;

enum class SegueKind {
  push,         // onto the source's navigation stack (presented when there is none)
  modal,        // presented full screen over the source
  replaceRoot,  // the destination becomes the window's root, with a 0.3 s cross-dissolve
};

struct SegueTemplate {
  std::string identifier;   // empty for a segue that only the interface file triggers
  std::string destination;  // the destination scene's storyboard identifier
  SegueKind kind = SegueKind::push;
};

// An object, so that it can travel as the argument of an action method
// (a router's "routeTo…WithSegue:").
class StoryboardSegue : public Object {
 public:
  using Super = Object;
  StoryboardSegue(std::string identifier, std::shared_ptr<ViewController> source,
                  std::shared_ptr<ViewController> destination)
      : identifier_(std::move(identifier)), source_(std::move(source)), destination_(std::move(destination)) {}

  // Empty for an unnamed segue.
  const std::string& identifier() const { return identifier_; }
  const std::shared_ptr<ViewController>& sourceViewController() const { return source_; }
  const std::shared_ptr<ViewController>& destinationViewController() const { return destination_; }

 private:
  std::string identifier_;
  std::shared_ptr<ViewController> source_;
  std::shared_ptr<ViewController> destination_;
};

}  // namespace instala::ui
