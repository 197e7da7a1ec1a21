#include "ui/Label.h"

#include "ui/Application.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace instala::ui {
namespace {

std::size_t codePoints(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

void Label::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void Label::setFont(Font font) {
  font_ = std::move(font);
  setNeedsDisplay();
}

Size Label::measure(const std::string& text, const Font& font) {
  std::size_t lines = 1;
  std::size_t longest = 0;
  std::size_t start = 0;
  for (;;) {
    auto end = text.find('\n', start);
    longest = std::max(longest, codePoints(text.substr(start, end == std::string::npos ? end : end - start)));
    if (end == std::string::npos) break;
    ++lines;
    start = end + 1;
  }
  return {static_cast<double>(longest) * font.pointSize() * 0.5,
          std::ceil(static_cast<double>(lines) * font.pointSize() * 1.2)};
}

Size Label::intrinsicContentSize() const {
  if (const auto& measurer = Application::shared().textMeasurer()) {
    return measurer(text_, font_, std::numeric_limits<double>::infinity(), lines_);
  }
  Size size = measure(text_, font_);
  if (text_.empty()) size.height = std::ceil(font_.pointSize() * 1.2);
  if (lines_ > 0) size.height = std::min(size.height, std::ceil(lines_ * font_.pointSize() * 1.2));
  return size;
}

Size Label::sizeThatFits(Size space) const {
  if (fixedHeight()) return View::sizeThatFits(space);
  const double available = fixedWidth().value_or(space.width);
  if (const auto& measurer = Application::shared().textMeasurer()) {
    const Size size = measurer(text_, font_, available, lines_);
    return {std::isfinite(available) ? std::min(size.width, available) : size.width, size.height};
  }
  Size size = intrinsicContentSize();
  const double width = std::isfinite(available) ? available : size.width;
  if (lines_ != 1 && width > 0 && size.width > width) {
    // Wrapped text: as many lines as the width needs, up to the line limit.
    const double lineHeight = std::ceil(font_.pointSize() * 1.2);
    double lineCount = std::ceil(size.width / width) + std::round(size.height / lineHeight) - 1;
    if (lines_ > 0) lineCount = std::min(lineCount, static_cast<double>(lines_));
    size.height = lineCount * lineHeight;
  }
  return {std::min(size.width, width), size.height};
}

}  // namespace instala::ui
