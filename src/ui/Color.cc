#include "ui/Color.h"

#include "ui/Assets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace instala::ui {
namespace {

std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

int component(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); }

}  // namespace

std::optional<Color> Color::named(const std::string& name) { return Assets::main().color(name); }

std::optional<Color> Color::fromHex(std::string_view text) {
  if (text.size() != 7 && text.size() != 9) return std::nullopt;
  if (text[0] != '#') return std::nullopt;
  double parts[4] = {0, 0, 0, 1};
  for (std::size_t i = 0; i * 2 + 1 < text.size(); ++i) {
    auto high = hexDigit(text[1 + i * 2]);
    auto low = hexDigit(text[2 + i * 2]);
    if (!high || !low) return std::nullopt;
    parts[i] = (*high * 16 + *low) / 255.0;
  }
  return Color(parts[0], parts[1], parts[2], parts[3]);
}

std::string Color::hexString() const {
  char buffer[10];
  if (component(alpha_) == 255) {
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", component(red_), component(green_), component(blue_));
  } else {
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", component(red_), component(green_), component(blue_),
                  component(alpha_));
  }
  return buffer;
}

}  // namespace instala::ui
