#include "ui/Button.h"

#include "ui/Label.h"

namespace instala::ui {
namespace {

template <typename Map>
auto forState(const Map& map, ControlState state) -> std::optional<typename Map::mapped_type> {
  if (auto found = map.find(state); found != map.end()) return found->second;
  if (auto normal = map.find(ControlState::normal); normal != map.end()) return normal->second;
  return std::nullopt;
}

}  // namespace

void Button::setTitle(std::optional<std::string> title, ControlState state) {
  if (title) {
    titles_[state] = std::move(*title);
  } else {
    titles_.erase(state);
  }
  setNeedsDisplay();
}

std::optional<std::string> Button::title(ControlState state) const { return forState(titles_, state); }

std::optional<std::string> Button::currentTitle() const {
  return title(isEnabled() ? ControlState::normal : ControlState::disabled);
}

void Button::setTitleColor(std::optional<Color> color, ControlState state) {
  if (color) {
    titleColors_[state] = *color;
  } else {
    titleColors_.erase(state);
  }
}

std::optional<Color> Button::titleColor(ControlState state) const { return forState(titleColors_, state); }

void Button::setImage(std::optional<Image> image, ControlState state) {
  if (image) {
    images_.insert_or_assign(state, std::move(*image));
  } else {
    images_.erase(state);
  }
  setNeedsDisplay();
}

std::optional<Image> Button::image(ControlState state) const { return forState(images_, state); }

void Button::handleTap() {
  if (isEnabled()) sendActions(ControlEvent::touchUpInside);
}

Size Button::intrinsicContentSize() const {
  Size text = Label::measure(currentTitle().value_or(""), font_);
  return {text.width + 16, 44};
}

}  // namespace instala::ui
