#pragma once
// Conversions between the toolkit model's values and Qt's.

#include "platform/Image.h"
#include "ui/Color.h"
#include "ui/Geometry.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QString>

#include <optional>
#include <string>

namespace instala::desktop {

QColor toQColor(const ui::Color& color);
// An unset colour is fully transparent.
QColor toQColor(const std::optional<ui::Color>& color);
QRectF toQRectF(const ui::Rect& rect);
// Widget geometry: model points are device-independent pixels, rounded outwards
// only as far as needed to keep adjacent views touching.
QRect toQRect(const ui::Rect& rect);

QString toQString(const std::string& text);
std::string toStdString(const QString& text);

QImage toQImage(const platform::Image& image);
// Any QImage (any format, with or without alpha) as the model's RGB photo; an
// alpha channel is composed over white. Nothing for a null image.
std::optional<platform::Image> toPlatformImage(const QImage& image);

}  // namespace instala::desktop
