#include "workspace/ui/picture_save_dialog.h"

#include <QFileDialog>
#include <QMessageBox>

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

}  // namespace marlin
