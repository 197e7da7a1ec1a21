#include "console/ScreenPrinter.h"

#include "common/LoadingActivity.h"
#include "ui/ActivityIndicatorView.h"
#include "ui/AlertController.h"
#include "ui/Button.h"
#include "ui/ImagePickerController.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"
#include "ui/TableView.h"
#include "ui/TextField.h"

#include <functional>
#include <iomanip>
#include <set>
#include <sstream>

namespace instala::console {
namespace {

std::string number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string fixed(double value, int digits) {
  std::ostringstream out;
  out << std::fixed << std::setprecision(digits) << value;
  return out.str();
}

std::string imageName(const std::optional<ui::Image>& image) {
  if (!image) return "none";
  if (!image->name().empty()) return ScreenPrinter::quoted(image->name());
  return "photo " + number(image->size().width) + "x" + number(image->size().height);
}

bool isOverlay(const ui::ViewController& controller) {
  return dynamic_cast<const ui::AlertController*>(&controller) ||
         dynamic_cast<const ui::ImagePickerController*>(&controller) ||
         dynamic_cast<const ui::SafariViewController*>(&controller);
}

// Outlets first, in connection order; then buttons that no outlet names (visible buttons).
void printViews(std::ostream& out, const ui::Object& owner, const ui::View& root, const std::string& indent) {
  std::set<const ui::Object*> named;
  for (const auto& record : owner.outlets()) {
    auto object = record.object.lock();
    if (!object) continue;
    named.insert(object.get());
    out << indent << record.name << ": ";
    if (auto* view = dynamic_cast<const ui::View*>(object.get())) {
      out << ScreenPrinter::describe(*view);
    } else if (auto* item = dynamic_cast<const ui::BarButtonItem*>(object.get())) {
      out << "bar button " << ScreenPrinter::quoted(item->title());
    } else {
      out << object->className();
    }
    out << "\n";
  }
  std::function<void(const ui::View&)> buttons = [&](const ui::View& view) {
    if (dynamic_cast<const ui::Button*>(&view) && !named.count(&view) && !view.isHiddenInHierarchy()) {
      out << indent << ScreenPrinter::describe(view) << "\n";
    }
    for (const auto& subview : view.subviews()) buttons(*subview);
  };
  buttons(root);
}

void printHeader(std::ostream& out, const ui::View& header, const std::string& indent) {
  std::vector<std::string> texts;
  std::function<void(const ui::View&)> collect = [&](const ui::View& view) {
    if (auto* label = dynamic_cast<const ui::Label*>(&view)) texts.push_back(ScreenPrinter::quoted(label->text()));
    for (const auto& subview : view.subviews()) collect(*subview);
  };
  collect(header);
  out << indent << "header";
  for (const auto& text : texts) out << " " << text;
  out << "\n";
}

void printTable(std::ostream& out, const ui::TableView& table, const std::string& indent) {
  auto headers = table.visibleHeaderViews();
  auto visible = table.indexPathsForVisibleRows();
  for (int section = 0; section < table.numberOfSections(); ++section) {
    const int rows = table.numberOfRows(section);
    int first = -1;
    int last = -1;
    for (const auto& path : visible) {
      if (path.section != section) continue;
      if (first < 0) first = path.row;
      last = path.row;
    }
    out << indent << "section " << section << ": " << rows << (rows == 1 ? " row" : " rows");
    if (rows > 0 && (first != 0 || last != rows - 1)) {
      out << (first < 0 ? ", none on screen" : ", showing " + std::to_string(first) + "-" + std::to_string(last));
    }
    out << "\n";
    if (auto header = headers.find(section); header != headers.end()) {
      printHeader(out, *header->second, indent + "  ");
    }
    for (const auto& path : visible) {
      if (path.section != section) continue;
      auto cell = table.cellForRow(path);
      out << indent << "  row " << path.section << "." << path.row << " " << cell->className() << " ("
          << number(cell->frame().height()) << "pt)" << (cell->isSelected() ? " selected" : "") << "\n";
      printViews(out, *cell, *cell, indent + "    ");
    }
  }
}

void printAlert(std::ostream& out, const ui::AlertController& alert) {
  out << "alert: " << (alert.title() ? ScreenPrinter::quoted(*alert.title()) : "(no title)");
  if (alert.message()) out << " message " << ScreenPrinter::quoted(*alert.message());
  out << " buttons";
  for (const auto& action : alert.actions()) {
    out << " [" << (action == alert.preferredAction() ? "*" : "") << action->title()
        << (action->style() == ui::AlertAction::Style::cancel ? " (cancel)" : "") << "]";
  }
  out << "\n";
}

}  // namespace

bool ScreenPrinter::isContainer(const ui::ViewController& controller) {
  return dynamic_cast<const ui::NavigationController*>(&controller) ||
         dynamic_cast<const ui::TabBarController*>(&controller);
}

std::string ScreenPrinter::quoted(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      result += '\\';
      result += c;
    } else if (c == '\n') {
      result += "\\n";
    } else {
      result += c;
    }
  }
  return result + "\"";
}

std::string ScreenPrinter::describe(const ui::View& view) {
  std::string text;
  if (auto* label = dynamic_cast<const ui::Label*>(&view)) {
    text = quoted(label->text());
  } else if (auto* button = dynamic_cast<const ui::Button*>(&view)) {
    text = "button " + quoted(button->currentTitle().value_or(""));
    if (auto image = button->image(ui::ControlState::normal)) text += " image " + imageName(image);
    if (!button->isEnabled()) text += " disabled";
  } else if (auto* field = dynamic_cast<const ui::TextField*>(&view)) {
    if (field->isSecureTextEntry()) {
      std::size_t characters = 0;
      for (char c : field->text()) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      text = "field " + quoted(std::string(characters, '*'));
    } else {
      text = "field " + quoted(field->text());
    }
    if (field->text().empty()) text += " placeholder " + quoted(field->placeholder());
    if (field->isEditing()) text += " editing";
  } else if (auto* toggle = dynamic_cast<const ui::Switch*>(&view)) {
    text = std::string("switch ") + (toggle->isOn() ? "on" : "off");
    if (!toggle->isEnabled()) text += " disabled";
  } else if (auto* image = dynamic_cast<const ui::ImageView*>(&view)) {
    text = "image " + imageName(image->image());
  } else if (auto* map = dynamic_cast<const ui::MapView*>(&view)) {
    text = "map";
    for (const auto& pin : map->annotations()) {
      text += " pin " + quoted(pin->title()) + " " + fixed(pin->coordinate().latitude, 5) + "," +
              fixed(pin->coordinate().longitude, 5);
    }
    if (const auto& region = map->region()) {
      text += " region " + fixed(region->center.latitude, 5) + "," + fixed(region->center.longitude, 5) + " span " +
              fixed(region->span.latitudeDelta, 5) + "x" + fixed(region->span.longitudeDelta, 5);
    }
  } else if (auto* spinner = dynamic_cast<const ui::ActivityIndicatorView*>(&view)) {
    text = std::string("spinner") + (spinner->isAnimating() ? " animating" : "");
  } else {
    text = "view";
    if (view.backgroundColor()) text += " " + view.backgroundColor()->hexString();
  }
  if (view.alpha() != 1) text += " alpha " + number(view.alpha());
  if (view.isHiddenInHierarchy()) text += " hidden";
  return text;
}

std::string ScreenPrinter::print(const ui::Window& window) {
  std::ostringstream out;
  for (const auto& controller : window.visibleViewControllers()) {
    if (auto* tabs = dynamic_cast<const ui::TabBarController*>(controller.get())) {
      out << "tabs:";
      for (std::size_t i = 0; i < tabs->viewControllers().size(); ++i) {
        const auto& item = tabs->viewControllers()[i]->tabBarItem();
        const std::string text = item.title + (item.badgeValue ? " (" + *item.badgeValue + ")" : "");
        out << " " << (i == tabs->selectedIndex() ? "[" + text + "]" : text);
      }
      out << "\n";
    } else if (auto* alert = dynamic_cast<const ui::AlertController*>(controller.get())) {
      printAlert(out, *alert);
    } else if (auto* camera = dynamic_cast<const ui::ImagePickerController*>(controller.get())) {
      out << "camera: " << (camera->acceptsMediaType(ui::mediaTypeMovie) ? "video" : "photo") << "\n";
    } else if (auto* browser = dynamic_cast<const ui::SafariViewController*>(controller.get())) {
      out << "browser: " << browser->url() << "\n";
    } else if (!isContainer(*controller) && !isOverlay(*controller)) {
      if (auto* navigation = controller->navigationController()) {
        const auto& item = controller->navigationItem();
        out << "navigation: " << quoted(item.title.value_or(controller->title()));
        if (auto back = navigation->backButtonTitle()) out << " back " << quoted(*back);
        if (item.leftBarButtonItem) out << " left " << quoted(item.leftBarButtonItem->title());
        if (item.rightBarButtonItem) out << " right " << quoted(item.rightBarButtonItem->title());
        out << "\n";
      }
      out << "screen: " << controller->className();
      if (!controller->title().empty()) out << " " << quoted(controller->title());
      out << "\n";
      const auto& view = controller->viewIfLoaded();
      if (auto* table = dynamic_cast<const ui::TableView*>(view.get())) {
        printTable(out, *table, "  ");
      } else if (view) {
        printViews(out, *controller, *view, "  ");
      }
    }
  }
  out << "loading: " << (LoadingActivity::isShown() ? "shown" : "no") << "\n";
  return out.str();
}

}  // namespace instala::console
