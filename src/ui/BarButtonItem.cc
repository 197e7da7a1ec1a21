#include "ui/BarButtonItem.h"

#include "ui/ViewController.h"

#include <iostream>

namespace instala::ui {

void BarButtonItem::setTriggeredSegue(std::weak_ptr<ViewController> source, SegueTemplate segue) {
  segueSource_ = std::move(source);
  segue_ = std::move(segue);
}

void BarButtonItem::tap() {
  if (!enabled_) return;
  // Keep the item alive: the action may replace the navigation item's buttons.
  auto self = sharedAs<BarButtonItem>();
  if (auto target = target_.lock(); target && !action_.empty() && !target->performSelector(action_, this)) {
    std::cerr << "unrecognized selector " << action_ << " sent to " << target->className() << "\n";
  }
  if (segue_) {
    if (auto source = segueSource_.lock()) source->performSegue(*segue_, this);
  }
}

}  // namespace instala::ui
