#include "qt/ControllerMirror.h"

#include "qt/AlertDialog.h"
#include "qt/CameraDialog.h"
#include "qt/DocumentViewer.h"
#include "qt/MirrorContext.h"
#include "qt/UploadProgressWidget.h"
#include "qt/ViewMirror.h"
#include "common/CustomButtonCell.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "ui/AlertController.h"
#include "ui/ImagePickerController.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/TabBarController.h"

#include <QDesktopServices>

#include <algorithm>

namespace instala::desktop {
namespace {

bool setFrameIfChanged(ui::View& view, const ui::Rect& frame) {
  if (view.frame() == frame) return false;
  view.setFrame(frame);
  return true;
}

}  // namespace

ControllerMirror::ControllerMirror(MirrorContext& context, QWidget* dialogParent)
    : context_(context), dialogParent_(dialogParent) {
  camera_ = [this](const std::shared_ptr<ui::ImagePickerController>& picker, QWidget* parent) -> QDialog* {
    return new CameraDialog(picker, cameraModules_.module(), context_, parent);
  };
  browser_ = [this](const std::shared_ptr<ui::SafariViewController>& browser, QWidget* parent) -> QDialog* {
    return new DocumentViewer(browser, context_, [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                              parent);
  };
}

ControllerMirror::~ControllerMirror() {
  for (auto& [controller, shown] : shown_) delete shown.dialog.data();
}

bool ControllerMirror::showsInDialog(const ui::ViewController& controller) {
  return dynamic_cast<const ui::AlertController*>(&controller) ||
         dynamic_cast<const ui::ImagePickerController*>(&controller) ||
         dynamic_cast<const ui::SafariViewController*>(&controller);
}

bool ControllerMirror::layoutContent(ui::Window& window) {
  bool changed = false;
  // Outermost first: a tab's navigation controller gets its room before its screens do.
  for (const auto& controller : window.visibleViewControllers()) {
    const auto& container = controller->viewIfLoaded();
    if (!container) continue;
    const ui::Rect bounds = container->bounds();
    if (auto* navigation = dynamic_cast<ui::NavigationController*>(controller.get())) {
      auto top = navigation->topViewController();
      if (top && top->viewIfLoaded() && top->viewIfLoaded()->superview() == container.get()) {
        const double bar = NavigationBarWidget::barHeight;
        changed |= setFrameIfChanged(*top->viewIfLoaded(),
                                     {0, bar, bounds.width(), std::max(0.0, bounds.height() - bar)});
      }
    } else if (auto* tabs = dynamic_cast<ui::TabBarController*>(controller.get())) {
      auto selected = tabs->selectedViewController();
      if (selected && selected->viewIfLoaded() && selected->viewIfLoaded()->superview() == container.get()) {
        const double bar = TabBarWidget::barHeight;
        changed |= setFrameIfChanged(*selected->viewIfLoaded(),
                                     {0, 0, bounds.width(), std::max(0.0, bounds.height() - bar)});
      }
    }
  }
  return changed;
}

std::set<const ui::View*> ControllerMirror::hiddenViews(ui::Window& window) const {
  std::set<const ui::View*> views;
  const auto visible = window.visibleViewControllers();
  for (const auto& controller : visible) {
    if (showsInDialog(*controller) && controller->viewIfLoaded()) views.insert(controller->viewIfLoaded().get());
  }
  // A screen covered by a full-screen presentation stays in the model's window
  // but is out of sight, as on the phone, where it leaves the window.
  for (const auto& subview : window.subviews()) {
    ui::ViewController* owner = subview->viewController();
    if (!owner) continue;
    const bool shown = std::any_of(visible.begin(), visible.end(),
                                   [owner](const std::shared_ptr<ui::ViewController>& c) { return c.get() == owner; });
    if (!shown) views.insert(subview.get());
  }
  return views;
}

QDialog* ControllerMirror::present(const std::shared_ptr<ui::ViewController>& controller) {
  if (auto alert = std::dynamic_pointer_cast<ui::AlertController>(controller)) {
    auto* dialog = new AlertDialog(alert, context_, dialogParent_);
    dialog->placeOver(dialogParent_);
    dialog->open();
    return dialog;
  }
  QDialog* dialog = nullptr;
  if (auto picker = std::dynamic_pointer_cast<ui::ImagePickerController>(controller)) {
    dialog = camera_ ? camera_(picker, dialogParent_) : nullptr;
  } else if (auto browser = std::dynamic_pointer_cast<ui::SafariViewController>(controller)) {
    dialog = browser_ ? browser_(browser, dialogParent_) : nullptr;
  }
  if (dialog) dialog->open();
  return dialog;
}

void ControllerMirror::sync(ui::Window& window, ViewMirror& views) {
  const auto visible = window.visibleViewControllers();
  std::set<const ui::ViewController*> onScreen;
  for (const auto& controller : visible) onScreen.insert(controller.get());

  for (const auto& controller : visible) {
    auto* containerWidget = views.widgetFor(controller->viewIfLoaded().get());
    if (auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(controller)) {
      if (!containerWidget) continue;
      auto& bar = navigationBars_[controller.get()];
      if (bar.controller.lock() != controller || !bar.widget || bar.widget->parentWidget() != containerWidget) {
        delete bar.widget.data();
        bar = {controller, new NavigationBarWidget(context_, containerWidget)};
      }
      bar.widget->setGeometry(0, 0, containerWidget->width(), NavigationBarWidget::barHeight);
      bar.widget->sync(navigation);
      bar.widget->raise();
      bar.widget->show();
    } else if (auto tabs = std::dynamic_pointer_cast<ui::TabBarController>(controller)) {
      if (!containerWidget) continue;
      auto& bar = tabBars_[controller.get()];
      if (bar.controller.lock() != controller || !bar.widget || bar.widget->parentWidget() != containerWidget) {
        delete bar.widget.data();
        bar = {controller, new TabBarWidget(context_, containerWidget)};
      }
      bar.widget->setGeometry(0, containerWidget->height() - TabBarWidget::barHeight, containerWidget->width(),
                              TabBarWidget::barHeight);
      bar.widget->sync(tabs);
      bar.widget->raise();
      bar.widget->show();
    } else if (showsInDialog(*controller)) {
      auto found = shown_.find(controller.get());
      if (found != shown_.end() && found->second.controller.lock() == controller) continue;
      if (found != shown_.end()) {
        delete found->second.dialog.data();
        shown_.erase(found);
      }
      // Recorded before it is shown: a presenter that answers at once must not be asked again.
      auto& entry = shown_[controller.get()];
      entry.controller = controller;
      entry.order = nextOrder_++;
      entry.dialog = present(controller);
    }
  }

  syncUploadProgress(visible, views);

  auto prune = [&onScreen](auto& bars) {
    for (auto it = bars.begin(); it != bars.end();) {
      const bool keep = it->second.widget && !it->second.controller.expired() && onScreen.count(it->first);
      if (keep) {
        ++it;
        continue;
      }
      delete it->second.widget.data();
      it = bars.erase(it);
    }
  };
  prune(navigationBars_);
  prune(tabBars_);
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (!it->second.controller.expired() && onScreen.count(it->first)) {
      ++it;
      continue;
    }
    if (QDialog* dialog = it->second.dialog.data()) {
      dialog->hide();
      dialog->deleteLater();
    }
    it = shown_.erase(it);
  }
}

void ControllerMirror::syncUploadProgress(const std::vector<std::shared_ptr<ui::ViewController>>& visible,
                                          ViewMirror& views) {
  // The button row of step three that shows "Finalizar", the button in it and the "Cancelar" beside the strip.
  QWidget* row = nullptr;
  QWidget* button = nullptr;
  QWidget* cancel = nullptr;
  std::optional<UploadProgress> progress;
  for (const auto& controller : visible) {
    auto* step = dynamic_cast<StepThreeTableViewController*>(controller.get());
    if (!step || !step->uploadProgress() || !step->isViewLoaded()) continue;
    auto table = step->tableView();
    for (const auto& path : table->indexPathsForVisibleRows()) {
      auto cell = std::dynamic_pointer_cast<CustomButtonCell>(table->cellForRow(path));
      auto customButton = cell ? cell->customButton.lock() : nullptr;
      if (!customButton) continue;
      row = views.widgetFor(cell.get());
      button = views.widgetFor(customButton.get());
      auto* cancelButton = cell->viewWithTag(StepThreeTableViewController::kCancelButtonTag);
      cancel = cancelButton && !cancelButton->isHiddenInHierarchy() ? views.widgetFor(cancelButton) : nullptr;
      progress = step->uploadProgress();
    }
  }
  if (!row || !button || !progress) {
    delete uploadProgress_.data();
    return;
  }
  if (!uploadProgress_ || uploadProgress_->parentWidget() != row) {
    delete uploadProgress_.data();
    uploadProgress_ = new UploadProgressWidget(context_, row);
  }
  QRect under(button->mapTo(row, QPoint(0, button->height() + 2)), QSize(button->width(), UploadProgressWidget::stripHeight));
  if (cancel) under.setRight(std::min(under.right(), cancel->mapTo(row, QPoint(0, 0)).x() - 8));
  uploadProgress_->setGeometry(under);
  uploadProgress_->setProgress(progress->completedBytes, progress->totalBytes);
  uploadProgress_->raise();
  uploadProgress_->show();
}

UploadProgressWidget* ControllerMirror::uploadProgress() const { return uploadProgress_.data(); }

std::vector<NavigationBarWidget*> ControllerMirror::navigationBars() const {
  std::vector<NavigationBarWidget*> bars;
  for (const auto& [controller, bar] : navigationBars_) {
    if (bar.widget && bar.widget->isVisible()) bars.push_back(bar.widget.data());
  }
  return bars;
}

TabBarWidget* ControllerMirror::tabBar() const {
  for (const auto& [controller, bar] : tabBars_) {
    if (bar.widget) return bar.widget.data();
  }
  return nullptr;
}

std::vector<QDialog*> ControllerMirror::dialogs() const {
  std::vector<std::pair<std::uint64_t, QDialog*>> ordered;
  for (const auto& [controller, shown] : shown_) {
    if (shown.dialog && shown.dialog->isVisible()) ordered.emplace_back(shown.order, shown.dialog.data());
  }
  std::sort(ordered.begin(), ordered.end());
  std::vector<QDialog*> result;
  for (auto& [order, dialog] : ordered) result.push_back(dialog);
  return result;
}

AlertDialog* ControllerMirror::alertDialog() const {
  for (auto* dialog : dialogs()) {
    if (auto* alert = qobject_cast<AlertDialog*>(dialog)) return alert;
  }
  return nullptr;
}

}  // namespace instala::desktop
