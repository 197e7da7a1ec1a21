#include "ui/LayoutConstraint.h"

#include "ui/Geometry.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace instala::ui {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}
  bool take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  std::optional<double> number() {
    const char* begin = text_.data() + pos_;
    double value = 0;
    auto [end, error] = std::from_chars(begin, text_.data() + text_.size(), value);
    if (error != std::errc() || end == begin) return std::nullopt;
    pos_ += static_cast<std::size_t>(end - begin);
    return value;
  }
  std::string name() {
    std::size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  bool atEnd() const { return pos_ == text_.size(); }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

// "-N-" between an edge and a view; a bare "-" is the standard spacing of 8.
std::optional<double> spacing(Reader& reader, bool& ok) {
  if (!reader.take('-')) return std::nullopt;
  if (reader.peek('[') || reader.peek('|')) return 8.0;
  auto value = reader.number();
  if (!value || !reader.take('-')) ok = false;
  return value;
}

}  // namespace

platform::Result<std::vector<LayoutConstraint>> LayoutConstraint::withVisualFormat(
    const std::string& format, const std::map<std::string, std::shared_ptr<View>>& views) {
  auto fail = [&](const std::string& why) { return platform::Error{"visual format \"" + format + "\": " + why}; };
  Reader reader(format);
  LayoutConstraint constraint;
  constraint.format = format;
  if (reader.take('V')) {
    if (!reader.take(':')) return fail("expected ':' after the orientation");
    constraint.axis = Axis::vertical;
  } else if (reader.take('H')) {
    if (!reader.take(':')) return fail("expected ':' after the orientation");
  }
  bool ok = true;
  if (reader.take('|')) {
    constraint.leading = spacing(reader, ok);
    if (!constraint.leading) constraint.leading = 0;
  }
  if (!ok) return fail("bad spacing after the leading edge");
  if (!reader.take('[')) return fail("expected a view in brackets");
  const std::string name = reader.name();
  auto view = views.find(name);
  if (name.empty() || view == views.end() || !view->second) return fail("no view named \"" + name + "\"");
  constraint.item = view->second;
  if (reader.take('(')) {
    constraint.length = reader.number();
    if (!constraint.length || !reader.take(')')) return fail("bad length of \"" + name + "\"");
  }
  if (!reader.take(']')) return fail("expected ']' after \"" + name + "\"");
  if (!reader.atEnd()) {
    auto trailing = spacing(reader, ok);
    if (!ok || !reader.take('|')) return fail("only one view per format, ending at the trailing edge, is supported");
    constraint.trailing = trailing ? trailing : 0.0;
  }
  if (!reader.atEnd()) return fail("unexpected text at the end");
  return std::vector<LayoutConstraint>{constraint};
}

void LayoutConstraint::apply(Rect& frame, double superviewLength) const {
  double& start = axis == Axis::horizontal ? frame.origin.x : frame.origin.y;
  double& size = axis == Axis::horizontal ? frame.size.width : frame.size.height;
  if (length) size = *length;
  if (leading) start = *leading;
  if (leading && trailing && !length) {
    size = std::max(0.0, superviewLength - *leading - *trailing);
  } else if (trailing && !leading) {
    start = superviewLength - *trailing - size;
  }
}

}  // namespace instala::ui
