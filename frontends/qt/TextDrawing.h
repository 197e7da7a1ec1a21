#pragma once
// Text the way the phone's labels set it: vertically centred in its box,
// aligned left, centre or right, on one line cut with an ellipsis, or wrapped
// on up to a number of lines (0 = as many as fit), optionally shrunk to fit
// the width on one line.

#include "ui/Label.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace instala::desktop {

struct TextStyle {
  QFont font;
  QColor color = Qt::black;
  ui::TextAlignment alignment = ui::TextAlignment::natural;
  int maximumLines = 1;
  bool shrinkToFit = false;
  bool operator==(const TextStyle&) const = default;
};

void drawText(QPainter& painter, const QRectF& box, const QString& text, const TextStyle& style);
// The font after shrinking to fit the width (the style's font when it fits or shrinking is off).
QFont fittedFont(const QString& text, const TextStyle& style, double width);
Qt::Alignment horizontalAlignment(ui::TextAlignment alignment);
// The box drawText needs: the widest line at the font's real advance, and the
// model's line height (1.2 times the point size) for each line it takes when
// wrapped at `width` (a width that is not positive and finite does not wrap).
// One line for `maximumLines` 1, however long; 0 allows any number.
ui::Size measureText(const QString& text, const QFont& font, double pointSize, int maximumLines, double width);

}  // namespace instala::desktop
