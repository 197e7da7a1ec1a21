#include "qt/TextDrawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace instala::desktop {
namespace {
// The phone shrinks text no further than this.
constexpr int smallestShrunkPixelSize = 6;
}  // namespace

Qt::Alignment horizontalAlignment(ui::TextAlignment alignment) {
  switch (alignment) {
    case ui::TextAlignment::center:
      return Qt::AlignHCenter;
    case ui::TextAlignment::right:
      return Qt::AlignRight;
    case ui::TextAlignment::natural:
    case ui::TextAlignment::left:
      break;
  }
  return Qt::AlignLeft;
}

QFont fittedFont(const QString& text, const TextStyle& style, double width) {
  QFont font = style.font;
  if (!style.shrinkToFit || style.maximumLines != 1 || width <= 0) return font;
  while (font.pixelSize() > smallestShrunkPixelSize && QFontMetricsF(font).horizontalAdvance(text) > width) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  return font;
}

ui::Size measureText(const QString& text, const QFont& font, double pointSize, int maximumLines, double width) {
  const double lineHeight = std::ceil(pointSize * 1.2);
  const QFontMetricsF metrics(font);
  if (maximumLines == 1) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return {metrics.horizontalAdvance(line), lineHeight};
  }
  // Widgets sit on whole pixels: wrap at the width the widget will have.
  const bool wraps = std::isfinite(width) && width > 0;
  const double lineWidth = wraps ? std::floor(width) : std::numeric_limits<int>::max();
  int lines = 0;
  double widest = 0;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QTextLayout layout(paragraph, font);
    layout.beginLayout();
    int paragraphLines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(lineWidth);
      widest = std::max(widest, line.naturalTextWidth());
      ++paragraphLines;
    }
    layout.endLayout();
    lines += std::max(1, paragraphLines);
  }
  if (maximumLines > 0) lines = std::min(lines, maximumLines);
  return {widest, std::max(1, lines) * lineHeight};
}

void drawText(QPainter& painter, const QRectF& box, const QString& text, const TextStyle& style) {
  if (text.isEmpty() || box.width() <= 0 || box.height() <= 0) return;
  const QFont font = fittedFont(text, style, box.width());
  const QFontMetricsF metrics(font);
  painter.save();
  painter.setFont(font);
  painter.setPen(style.color);
  painter.setClipRect(box, Qt::IntersectClip);
  const Qt::Alignment horizontal = horizontalAlignment(style.alignment);

  if (style.maximumLines == 1) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line = metrics.elidedText(line, Qt::ElideRight, box.width());
    painter.drawText(box, static_cast<int>(horizontal | Qt::AlignVCenter), line);
    painter.restore();
    return;
  }

  // Wrapped: lay out every paragraph, keep the lines that are allowed and fit.
  // How many lines fit follows the model's metric (1.2 times the point size per
  // line), which sized the box; lines are drawn no further apart than that.
  const double modelLine = std::max(1.0, font.pixelSize() * 1.2);
  int allowed = style.maximumLines > 0 ? style.maximumLines : std::numeric_limits<int>::max();
  allowed = std::min(allowed, std::max(1, static_cast<int>(std::floor((box.height() + 1.0) / modelLine))));
  const double lineHeight =
      std::min(metrics.lineSpacing(), std::max(0.8 * metrics.lineSpacing(), box.height() / allowed));
  struct KeptLine {
    int paragraph;
    int start;
    int length;
  };
  std::vector<KeptLine> kept;
  bool cut = false;
  const QStringList paragraphs = text.split(QLatin1Char('\n'));
  for (int p = 0; p < paragraphs.size() && !cut; ++p) {
    if (static_cast<int>(kept.size()) == allowed) {
      cut = true;
      break;
    }
    QTextLayout layout(paragraphs[p], font);
    layout.beginLayout();
    for (;;) {
      QTextLine line = layout.createLine();
      if (!line.isValid()) break;
      line.setLineWidth(box.width());
      if (static_cast<int>(kept.size()) == allowed) {
        cut = true;
        break;
      }
      kept.push_back({p, line.textStart(), line.textLength()});
    }
    layout.endLayout();
  }
  std::vector<QString> lines;
  for (const auto& line : kept) lines.push_back(paragraphs[line.paragraph].mid(line.start, line.length).trimmed());
  if (cut && !kept.empty()) {
    // The last line that fits carries the rest of the text, cut with an ellipsis.
    const auto& last = kept.back();
    QString rest = paragraphs[last.paragraph].mid(last.start);
    for (int p = last.paragraph + 1; p < paragraphs.size(); ++p) rest += QLatin1Char(' ') + paragraphs[p];
    lines.back() = metrics.elidedText(rest.trimmed(), Qt::ElideRight, box.width());
  }
  const double total = lineHeight * static_cast<double>(lines.size());
  double y = box.top() + std::max(0.0, (box.height() - total) / 2);
  for (const auto& line : lines) {
    painter.drawText(QRectF(box.left(), y, box.width(), lineHeight), static_cast<int>(horizontal | Qt::AlignVCenter),
                     line);
    y += lineHeight;
  }
  painter.restore();
}

}  // namespace instala::desktop
