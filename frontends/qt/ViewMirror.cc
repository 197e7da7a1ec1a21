#include "qt/ViewMirror.h"

#include "qt/ButtonWidget.h"
#include "qt/Conversions.h"
#include "qt/ImageViewWidget.h"
#include "qt/LabelWidget.h"
#include "qt/MapWidget.h"
#include "qt/MirrorContext.h"
#include "qt/OverlayWidget.h"
#include "qt/RowViewWidget.h"
#include "qt/SwitchWidget.h"
#include "qt/TableMirror.h"
#include "qt/UnderlineFieldWidget.h"
#include "ui/ActivityIndicatorView.h"
#include "ui/Button.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/Switch.h"
#include "ui/TableView.h"
#include "ui/TableViewCell.h"
#include "ui/TextField.h"

namespace instala::desktop {

ViewMirror::ViewMirror(MirrorContext& context, QWidget* host) : context_(context), host_(host) {}

ViewMirror::~ViewMirror() {
  for (auto& [view, entry] : entries_) {
    if (entry.widget && entry.widget->parentWidget() == host_) delete entry.widget.data();
  }
}

ViewWidget* ViewMirror::create(const std::shared_ptr<ui::View>& view, QWidget* parent) {
  ui::View* raw = view.get();
  if (dynamic_cast<ui::TableView*>(raw)) return new TableMirror(view, context_, parent);
  if (dynamic_cast<ui::TableViewCell*>(raw)) return new RowViewWidget(view, context_, parent);
  if (dynamic_cast<ui::TextField*>(raw)) return new UnderlineFieldWidget(view, context_, parent);
  if (dynamic_cast<ui::Switch*>(raw)) return new SwitchWidget(view, context_, parent);
  if (dynamic_cast<ui::Button*>(raw)) return new ButtonWidget(view, context_, parent);
  if (dynamic_cast<ui::Label*>(raw)) return new LabelWidget(view, context_, parent);
  if (dynamic_cast<ui::ImageView*>(raw)) return new ImageViewWidget(view, context_, parent);
  if (dynamic_cast<ui::MapView*>(raw)) return new MapWidget(view, context_, parent);
  if (dynamic_cast<ui::ActivityIndicatorView*>(raw)) return new OverlayWidget(view, context_, parent);
  return new ViewWidget(view, context_, parent);
}

ViewWidget* ViewMirror::widgetFor(const ui::View* view) const {
  auto found = entries_.find(view);
  if (found == entries_.end() || found->second.view.expired()) return nullptr;
  return found->second.widget.data();
}

ViewWidget* ViewMirror::rootWidget() const { return widgetFor(root_); }

void ViewMirror::sync(ui::Window& window, const std::set<const ui::View*>& skip) {
  ++generation_;
  root_ = &window;
  syncView(std::static_pointer_cast<ui::View>(window.shared_from_this()), host_, skip);
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.generation == generation_) {
      ++it;
      continue;
    }
    if (auto* widget = it->second.widget.data()) {
      widget->hide();
      widget->setParent(nullptr);
      widget->deleteLater();
    }
    it = entries_.erase(it);
  }
  context_.animations().clearMotions();
}

ViewWidget* ViewMirror::syncView(const std::shared_ptr<ui::View>& view, QWidget* parent,
                                 const std::set<const ui::View*>& skip) {
  auto& entry = entries_[view.get()];
  if (entry.view.lock() != view || !entry.widget) {
    // A new view, or a new one at the address of a view that is gone.
    if (entry.widget) {
      entry.widget->hide();
      entry.widget->setParent(nullptr);
      entry.widget->deleteLater();
    }
    entry = Entry{};
    entry.view = view;
    entry.widget = create(view, parent);
  }
  entry.generation = generation_;
  ViewWidget* widget = entry.widget.data();
  if (widget->parentWidget() != parent) widget->setParent(parent);

  widget->syncFromModel(*view);
  widget->place(toQRect(view->frame()), view->alpha(), context_.animations().takeMotion(view.get()));

  std::vector<QPointer<ViewWidget>> order;
  const auto subviews = view->subviews();
  for (const auto& subview : subviews) {
    if (skip.count(subview.get())) continue;
    order.emplace_back(syncView(subview, widget, skip));
  }
  // Restack only when the model's order changed: raising repaints.
  auto& current = entries_[view.get()];
  if (current.order != order) {
    for (auto& child : order) {
      if (child) child->raise();
    }
    current.order = std::move(order);
  }
  widget->childrenSynced();
  widget->setVisible(!view->isHidden());
  return widget;
}

}  // namespace instala::desktop
