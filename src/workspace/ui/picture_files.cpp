#include "workspace/ui/picture_files.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSvgGenerator>

namespace marlin {

void SavePictureAs(QWidget* parent, const QString& title, const QString& defaultName,
                   const std::function<bool(const QString& fileName)>& save) {
    QString fileName = QFileDialog::getSaveFileName(parent, title, defaultName,
                                                    QWidget::tr("PNG image (*.png);;SVG drawing (*.svg)"));
    if (fileName.isEmpty()) return;
    if (!fileName.endsWith(".svg", Qt::CaseInsensitive) && !fileName.endsWith(".png", Qt::CaseInsensitive))
        fileName += QStringLiteral(".png");
    if (!save(fileName))
        QMessageBox::warning(
            parent, QWidget::tr("File Save Error"),
            QWidget::tr("Couldn't save: %1 -- The file could not be written.").arg(fileName));
}

bool WriteSvg(const QString& fileName, const QRectF& area, const QString& title,
              const std::function<void(QPainter& painter)>& paint) {
    QSvgGenerator svg;
    svg.setFileName(fileName);
    svg.setSize(area.size().toSize());
    svg.setViewBox(area);
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    paint(painter);
    return painter.end();
}

}  // namespace marlin
