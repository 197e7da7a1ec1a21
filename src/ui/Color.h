#pragma once
// An RGBA colour with components from 0 to 1. Named colours come from the
// bundle's asset catalogue; an unknown name gives no colour.

#include <optional>
#include <string>
#include <string_view>

namespace instala::ui {

class Color {
 public:
  constexpr Color() = default;
  constexpr Color(double red, double green, double blue, double alpha = 1.0)
      : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

  static constexpr Color black() { return {0, 0, 0, 1}; }
  static constexpr Color white() { return {1, 1, 1, 1}; }
  static constexpr Color clear() { return {0, 0, 0, 0}; }

  // The asset catalogue's colour of that name (Assets/Colors.json), or nothing.
  static std::optional<Color> named(const std::string& name);
  // "#RRGGBB" or "#RRGGBBAA"; nothing for any other text.
  static std::optional<Color> fromHex(std::string_view text);

  constexpr Color withAlphaComponent(double alpha) const { return {red_, green_, blue_, alpha}; }

  double red() const { return red_; }
  double green() const { return green_; }
  double blue() const { return blue_; }
  double alpha() const { return alpha_; }

  // "#RRGGBB" when opaque, otherwise "#RRGGBBAA".
  std::string hexString() const;

  bool operator==(const Color&) const = default;

 private:
  double red_ = 0;
  double green_ = 0;
  double blue_ = 0;
  double alpha_ = 0;
};

}  // namespace instala::ui
