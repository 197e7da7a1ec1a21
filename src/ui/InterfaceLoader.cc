#include "ui/InterfaceLoader.h"

#include "ui/ActivityIndicatorView.h"
#include "ui/Button.h"
#include "ui/Font.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/Switch.h"
#include "ui/TableView.h"
#include "ui/TextField.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace instala::ui {
namespace {

using Json = nlohmann::json;

const std::vector<std::string> viewKeys = {
    "type",    "outlet",   "frame",      "width",     "height",        "hidden",       "alpha",
    "tag",     "backgroundColor",        "tintColor", "cornerRadius",  "clipsToBounds", "borderWidth",
    "borderColor",         "userInteractionEnabled",  "layout",        "padding",      "spacing",
    "align",   "children", "attributes", "comment"};
const std::vector<std::string> labelKeys = {"text", "font", "textColor", "alignment", "lines",
                                            "adjustsFontSizeToFitWidth"};
const std::vector<std::string> buttonKeys = {"title", "titleColor", "image", "font", "action", "enabled"};
const std::vector<std::string> switchKeys = {"on", "onTintColor", "action", "enabled"};
const std::vector<std::string> imageKeys = {"image"};
const std::vector<std::string> textFieldKeys = {"text",      "placeholder", "font",   "textColor",
                                                "alignment", "secure",      "action", "enabled"};
const std::vector<std::string> indicatorKeys = {"animating", "color"};
const std::vector<std::string> tableKeys = {"rowHeight", "estimatedRowHeight", "sectionHeaderHeight"};

// Descends at most `levelsLeft` levels, so the check itself stays within the limit.
bool nestingWithin(const Json& value, int levelsLeft) {
  if (!value.is_structured()) return true;
  if (levelsLeft == 0) return false;
  for (const auto& child : value) {
    if (!nestingWithin(child, levelsLeft - 1)) return false;
  }
  return true;
}

std::optional<TextAlignment> alignmentNamed(const std::string& name) {
  if (name == "natural") return TextAlignment::natural;
  if (name == "left") return TextAlignment::left;
  if (name == "center") return TextAlignment::center;
  if (name == "right") return TextAlignment::right;
  return std::nullopt;
}

}  // namespace

std::string InterfaceLoader::joinedErrors(const std::vector<std::string>& errors) {
  std::string text;
  for (const auto& line : errors) text += (text.empty() ? "" : "\n") + line;
  return text;
}

bool InterfaceLoader::nestingWithinLimit(const Json& document) {
  return nestingWithin(document, kMaximumInterfaceNesting);
}

InterfaceLoader::InterfaceLoader(std::string where, std::shared_ptr<Object> owner)
    : where_(std::move(where)), owner_(std::move(owner)) {}

void InterfaceLoader::fail(const std::string& path, const std::string& message) {
  errors_.push_back(where_ + ": " + path + ": " + message);
}

std::optional<double> InterfaceLoader::number(const Json& node, const char* key, const std::string& path) {
  auto found = node.find(key);
  if (found == node.end()) return std::nullopt;
  if (!found->is_number()) {
    fail(path, std::string("\"") + key + "\" must be a number");
    return std::nullopt;
  }
  return found->get<double>();
}

std::optional<int> InterfaceLoader::integer(const Json& node, const char* key, const std::string& path, int minimum,
                                            int maximum) {
  auto value = number(node, key, path);
  if (!value) return std::nullopt;
  if (*value != std::trunc(*value) || *value < minimum || *value > maximum) {
    fail(path, std::string("\"") + key + "\" must be a whole number from " + std::to_string(minimum) + " to " +
                   std::to_string(maximum));
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

std::optional<std::string> InterfaceLoader::text(const Json& node, const char* key, const std::string& path) {
  auto found = node.find(key);
  if (found == node.end()) return std::nullopt;
  if (!found->is_string()) {
    fail(path, std::string("\"") + key + "\" must be a text");
    return std::nullopt;
  }
  return found->get<std::string>();
}

std::optional<bool> InterfaceLoader::flag(const Json& node, const char* key, const std::string& path) {
  auto found = node.find(key);
  if (found == node.end()) return std::nullopt;
  if (!found->is_boolean()) {
    fail(path, std::string("\"") + key + "\" must be true or false");
    return std::nullopt;
  }
  return found->get<bool>();
}

std::optional<Color> InterfaceLoader::color(const Json& node, const char* key, const std::string& path) {
  auto value = text(node, key, path);
  if (!value) return std::nullopt;
  if (!value->empty() && (*value)[0] == '#') {
    auto parsed = Color::fromHex(*value);
    if (!parsed) fail(path, std::string("\"") + key + "\" is not \"#RRGGBB\" or \"#RRGGBBAA\"");
    return parsed;
  }
  return Color::named(*value);
}

void InterfaceLoader::connectOutlet(const std::string& outlet, const std::shared_ptr<Object>& value,
                                    const std::string& path) {
  if (!owner_) {
    fail(path, "outlet " + outlet + " without an owner");
    return;
  }
  if (auto error = ClassRegistry::shared().connectOutlet(*owner_, outlet, value)) fail(path, *error);
}

std::shared_ptr<View> InterfaceLoader::buildView(const Json& node, const std::string& path) {
  if (!node.is_object()) {
    fail(path, "a view must be a JSON object");
    return nullptr;
  }
  const std::string type = text(node, "type", path).value_or("View");
  auto view = std::dynamic_pointer_cast<View>(ClassRegistry::shared().instantiate(type));
  if (!view) {
    fail(path, "\"" + type + "\" is not a registered view class");
    return nullptr;
  }
  applyProperties(*view, node, path);
  if (auto children = node.find("children"); children != node.end()) {
    if (!children->is_array()) {
      fail(path, "\"children\" must be an array");
    } else {
      for (std::size_t i = 0; i < children->size(); ++i) {
        if (auto child = buildView((*children)[i], path + ".children[" + std::to_string(i) + "]")) {
          view->addSubview(child);
        }
      }
    }
  }
  if (auto outlet = text(node, "outlet", path)) connectOutlet(*outlet, view, path);
  built_.push_back(view);
  return view;
}

void InterfaceLoader::applyProperties(View& view, const Json& node, const std::string& path,
                                      const std::vector<std::string>& extraKeys) {
  std::set<std::string> allowed(viewKeys.begin(), viewKeys.end());
  allowed.insert(extraKeys.begin(), extraKeys.end());
  auto allow = [&allowed](const std::vector<std::string>& keys) { allowed.insert(keys.begin(), keys.end()); };
  auto* label = dynamic_cast<Label*>(&view);
  auto* button = dynamic_cast<Button*>(&view);
  auto* toggle = dynamic_cast<Switch*>(&view);
  auto* imageView = dynamic_cast<ImageView*>(&view);
  auto* field = dynamic_cast<TextField*>(&view);
  auto* indicator = dynamic_cast<ActivityIndicatorView*>(&view);
  auto* table = dynamic_cast<TableView*>(&view);
  if (label) allow(labelKeys);
  if (button) allow(buttonKeys);
  if (toggle) allow(switchKeys);
  if (imageView) allow(imageKeys);
  if (field) allow(textFieldKeys);
  if (indicator) allow(indicatorKeys);
  if (table) allow(tableKeys);
  for (const auto& [key, value] : node.items()) {
    if (!allowed.count(key)) fail(path, "unknown key \"" + key + "\" for " + view.className());
  }

  if (auto frame = node.find("frame"); frame != node.end()) {
    if (frame->is_array() && frame->size() == 4 &&
        std::all_of(frame->begin(), frame->end(), [](const Json& v) { return v.is_number(); })) {
      view.setFrame({(*frame)[0].get<double>(), (*frame)[1].get<double>(), (*frame)[2].get<double>(),
                     (*frame)[3].get<double>()});
    } else {
      fail(path, "\"frame\" must be [x, y, width, height]");
    }
  }
  if (auto width = number(node, "width", path)) {
    view.setFixedWidth(*width);
    view.setFrame({view.frame().origin, {*width, view.frame().height()}});
  }
  if (auto height = number(node, "height", path)) {
    view.setFixedHeight(*height);
    view.setFrame({view.frame().origin, {view.frame().width(), *height}});
  }
  if (auto hidden = flag(node, "hidden", path)) view.setHidden(*hidden);
  if (auto alpha = number(node, "alpha", path)) view.setAlpha(*alpha);
  constexpr int kIntMax = std::numeric_limits<int>::max();
  if (auto tag = integer(node, "tag", path, std::numeric_limits<int>::min(), kIntMax)) view.setTag(*tag);
  if (node.contains("backgroundColor")) view.setBackgroundColor(color(node, "backgroundColor", path));
  if (node.contains("tintColor")) view.setTintColor(color(node, "tintColor", path));
  if (auto radius = number(node, "cornerRadius", path)) view.layer().cornerRadius = *radius;
  if (auto clips = flag(node, "clipsToBounds", path)) view.setClipsToBounds(*clips);
  if (auto width = number(node, "borderWidth", path)) view.layer().borderWidth = *width;
  if (node.contains("borderColor")) view.layer().borderColor = color(node, "borderColor", path);
  if (auto enabled = flag(node, "userInteractionEnabled", path)) view.setUserInteractionEnabled(*enabled);

  if (auto layout = text(node, "layout", path)) {
    StackLayout stack;
    if (*layout == "vstack") {
      stack.axis = StackLayout::Axis::vertical;
    } else if (*layout == "hstack") {
      stack.axis = StackLayout::Axis::horizontal;
    } else {
      fail(path, "\"layout\" must be \"vstack\" or \"hstack\"");
    }
    if (auto padding = node.find("padding"); padding != node.end()) {
      if (padding->is_number()) {
        const double p = padding->get<double>();
        stack.padding = {p, p, p, p};
      } else if (padding->is_array() && padding->size() == 4 &&
                 std::all_of(padding->begin(), padding->end(), [](const Json& v) { return v.is_number(); })) {
        stack.padding = {(*padding)[0].get<double>(), (*padding)[1].get<double>(), (*padding)[2].get<double>(),
                         (*padding)[3].get<double>()};
      } else {
        fail(path, "\"padding\" must be a number or [top, left, bottom, right]");
      }
    }
    stack.spacing = number(node, "spacing", path).value_or(0);
    if (auto align = text(node, "align", path)) {
      if (*align == "fill") {
        stack.alignment = StackLayout::Alignment::fill;
      } else if (*align == "top") {
        stack.alignment = StackLayout::Alignment::top;
      } else {
        fail(path, "\"align\" must be \"fill\" or \"top\"");
      }
    }
    view.setStackLayout(stack);
  } else if (node.contains("padding") || node.contains("spacing") || node.contains("align")) {
    fail(path, "\"padding\", \"spacing\" and \"align\" need a \"layout\"");
  }

  auto font = [&](const char* key) -> std::optional<Font> {
    auto found = node.find(key);
    if (found == node.end()) return std::nullopt;
    if (found->is_number()) return Font::systemFont(found->get<double>());
    if (found->is_array() && found->size() == 2 && (*found)[0].is_string() && (*found)[1].is_number()) {
      const double size = (*found)[1].get<double>();
      // Like the interface files of the phone, a font that is not installed falls back to the system font.
      return Font::named((*found)[0].get<std::string>(), size).value_or(Font::systemFont(size));
    }
    fail(path, std::string("\"") + key + "\" must be a size or [name, size]");
    return std::nullopt;
  };
  auto alignment = [&]() -> std::optional<TextAlignment> {
    auto name = text(node, "alignment", path);
    if (!name) return std::nullopt;
    auto parsed = alignmentNamed(*name);
    if (!parsed) fail(path, "\"alignment\" must be natural, left, center or right");
    return parsed;
  };
  auto bindAction = [&](Control& control, ControlEvent event) {
    auto selector = text(node, "action", path);
    if (!selector) return;
    if (!owner_) {
      fail(path, "action " + *selector + " without an owner");
      return;
    }
    const std::string ownerClass = owner_->className();
    if (!owner_->respondsToSelector(*selector) && !ClassRegistry::shared().isPlaceholder(ownerClass)) {
      fail(path, ownerClass + " has no action method " + *selector);
    }
    control.addTarget(owner_, *selector, event);
  };

  if (label) {
    if (auto value = text(node, "text", path)) label->setText(*value);
    if (auto value = font("font")) label->setFont(*value);
    if (node.contains("textColor")) label->setTextColor(color(node, "textColor", path));
    if (auto value = alignment()) label->setTextAlignment(*value);
    if (auto value = integer(node, "lines", path, 0, kIntMax)) label->setNumberOfLines(*value);
    if (auto value = flag(node, "adjustsFontSizeToFitWidth", path)) label->setAdjustsFontSizeToFitWidth(*value);
  }
  if (button) {
    if (auto value = text(node, "title", path)) button->setTitle(*value, ControlState::normal);
    if (node.contains("titleColor")) button->setTitleColor(color(node, "titleColor", path), ControlState::normal);
    if (auto value = text(node, "image", path)) button->setImage(Image::named(*value), ControlState::normal);
    if (auto value = font("font")) button->setFont(*value);
    if (auto value = flag(node, "enabled", path)) button->setEnabled(*value);
    bindAction(*button, ControlEvent::touchUpInside);
  }
  if (toggle) {
    if (auto value = flag(node, "on", path)) toggle->setOn(*value);
    if (node.contains("onTintColor")) toggle->setOnTintColor(color(node, "onTintColor", path));
    if (auto value = flag(node, "enabled", path)) toggle->setEnabled(*value);
    bindAction(*toggle, ControlEvent::valueChanged);
  }
  if (imageView) {
    if (auto value = text(node, "image", path)) imageView->setImage(Image::named(*value));
  }
  if (field) {
    if (auto value = text(node, "text", path)) field->setText(*value);
    if (auto value = text(node, "placeholder", path)) field->setPlaceholder(*value);
    if (auto value = font("font")) field->setFont(*value);
    if (node.contains("textColor")) field->setTextColor(color(node, "textColor", path));
    if (auto value = alignment()) field->setTextAlignment(*value);
    if (auto value = flag(node, "secure", path)) field->setSecureTextEntry(*value);
    if (auto value = flag(node, "enabled", path)) field->setEnabled(*value);
    bindAction(*field, ControlEvent::editingChanged);
  }
  if (indicator) {
    if (flag(node, "animating", path).value_or(false)) indicator->startAnimating();
    if (node.contains("color")) indicator->setColor(color(node, "color", path));
  }
  if (table) {
    if (auto value = number(node, "rowHeight", path)) table->setRowHeight(*value);
    if (auto value = number(node, "estimatedRowHeight", path)) table->setEstimatedRowHeight(*value);
    if (auto value = number(node, "sectionHeaderHeight", path)) table->setSectionHeaderHeight(*value);
  }

  // Attributes that the view's class declares ("placeholderColor" of the underlined field…).
  if (auto attributes = node.find("attributes"); attributes != node.end()) {
    if (!attributes->is_object()) {
      fail(path, "\"attributes\" must be an object");
    } else {
      for (const auto& [name, value] : attributes->items()) {
        AttributeValue converted;
        if (value.is_boolean()) {
          converted = value.get<bool>();
        } else if (value.is_number()) {
          converted = value.get<double>();
        } else if (value.is_string()) {
          converted = value.get<std::string>();
        } else {
          fail(path, "attribute " + name + " must be a flag, a number or a text");
          continue;
        }
        if (auto error = ClassRegistry::shared().setAttribute(view, name, converted)) fail(path, *error);
      }
    }
  }
}

void InterfaceLoader::awakeAll() {
  for (auto& view : built_) view->awakeFromNib();
}

}  // namespace instala::ui
