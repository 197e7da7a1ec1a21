#pragma once
// A text label. Without a display to measure text, the model sizes text with a
// fixed metric: each character is half the point size wide, a line is 1.2 times
// the point size high. A front end that draws real fonts measures instead
// (Application::setTextMeasurer).

#include "ui/Font.h"
#include "ui/View.h"

#include <optional>
#include <string>

namespace instala::ui {

enum class TextAlignment { natural, left, center, right };

class Label : public View {
 public:
  using Super = View;
  using View::View;

  const std::string& text() const { return text_; }
  void setText(std::string text);
  const Font& font() const { return font_; }
  void setFont(Font font);
  const std::optional<Color>& textColor() const { return textColor_; }
  void setTextColor(std::optional<Color> color) { textColor_ = color; }
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
  // 0 means as many lines as the text needs.
  int numberOfLines() const { return lines_; }
  void setNumberOfLines(int lines) { lines_ = lines; }
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts) { adjustsFontSize_ = adjusts; }

  // The model's fixed text metric.
  static Size measure(const std::string& text, const Font& font);
  Size sizeThatFits(Size space) const override;

 protected:
  Size intrinsicContentSize() const override;

 private:
  std::string text_;
  Font font_ = Font::systemFont(17);
  std::optional<Color> textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::natural;
  int lines_ = 1;
  bool adjustsFontSize_ = false;
};

}  // namespace instala::ui
