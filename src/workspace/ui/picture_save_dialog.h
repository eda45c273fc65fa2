#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace marlin {

// "Save … As" for a drawn picture (the chart, the network): asks for a PNG or SVG file, a
// name with neither extension becoming a PNG, has `save` write it, and says so when the
// file could not be written.
void SavePictureAs(QWidget* parent, const QString& title, const QString& defaultName,
                   const std::function<bool(const QString& fileName)>& save);

}  // namespace marlin
