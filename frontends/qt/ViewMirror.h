#pragma once
// Keeps one widget per view of the model window's tree: creates the widget of
// the view's kind when a view appears, copies its state on every redraw,
// places and stacks it as the model does, and deletes it when the view leaves
// the tree. The widget kinds: tables, row views, text fields, switches,
// buttons, labels, image views, maps, activity indicators, plain views.

#include "qt/ViewWidget.h"
#include "ui/Window.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

namespace instala::desktop {

class MirrorContext;

class ViewMirror {
 public:
  ViewMirror(MirrorContext& context, QWidget* host);
  ~ViewMirror();
  ViewMirror(const ViewMirror&) = delete;
  ViewMirror& operator=(const ViewMirror&) = delete;

  // Mirrors the window's tree into the host. Views in skip are left out with
  // their subtrees (screens that the window shows in a native dialog).
  void sync(ui::Window& window, const std::set<const ui::View*>& skip = {});

  // The widget of a view, while the view is mirrored.
  ViewWidget* widgetFor(const ui::View* view) const;
  ViewWidget* rootWidget() const;
  std::size_t widgetCount() const { return entries_.size(); }

  // The widget kind a view gets (exposed for tests).
  ViewWidget* create(const std::shared_ptr<ui::View>& view, QWidget* parent);

 private:
  struct Entry {
    std::weak_ptr<ui::View> view;
    QPointer<ViewWidget> widget;
    std::vector<QPointer<ViewWidget>> order;
    std::uint64_t generation = 0;
  };
  ViewWidget* syncView(const std::shared_ptr<ui::View>& view, QWidget* parent, const std::set<const ui::View*>& skip);

  MirrorContext& context_;
  QWidget* host_;
  std::unordered_map<const ui::View*, Entry> entries_;
  const ui::View* root_ = nullptr;
  std::uint64_t generation_ = 0;
};

}  // namespace instala::desktop
