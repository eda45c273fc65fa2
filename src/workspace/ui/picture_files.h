#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>

namespace marlin {

// The files of a drawn picture (the chart, the network).

// "Save … As": asks for a PNG or SVG file, a name with neither extension becoming a PNG,
// has `save` write it, and says so when the file could not be written.
void SavePictureAs(QWidget* parent, const QString& title, const QString& defaultName,
                   const std::function<bool(const QString& fileName)>& save);

// Writes an SVG drawing of `area` (its size in pixels) with that title, drawn by `paint`;
// false when the file could not be written.
bool WriteSvg(const QString& fileName, const QRectF& area, const QString& title,
              const std::function<void(QPainter& painter)>& paint);

}  // namespace marlin
