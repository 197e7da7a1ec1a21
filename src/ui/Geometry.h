#pragma once
// Points, sizes and rectangles in the toolkit's point units (origin top-left).

#include <algorithm>
#include <ostream>

namespace instala::ui {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;

  constexpr Rect() = default;
  constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}
  constexpr Rect(Point o, Size s) : origin(o), size(s) {}

  double x() const { return origin.x; }
  double y() const { return origin.y; }
  double width() const { return size.width; }
  double height() const { return size.height; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }

  // Moves the rectangle; the size stays.
  Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
  // Shrinks by dx on the left and right and dy on the top and bottom.
  Rect insetBy(double dx, double dy) const {
    return {origin.x + dx, origin.y + dy, std::max(0.0, size.width - 2 * dx), std::max(0.0, size.height - 2 * dy)};
  }
  bool intersects(const Rect& other) const {
    return x() < other.maxX() && other.x() < maxX() && y() < other.maxY() && other.y() < maxY();
  }
  bool operator==(const Rect&) const = default;
};

struct EdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  bool operator==(const EdgeInsets&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Point& p) { return out << "(" << p.x << ", " << p.y << ")"; }
inline std::ostream& operator<<(std::ostream& out, const Size& s) { return out << s.width << "x" << s.height; }
inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "{" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << "}";
}

}  // namespace instala::ui
