#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "workspace/export/network_picture.h"

namespace marlin {

// Paints a NetworkPicture: edges coloured by kind under the nodes, each node sized by the
// chosen measure and coloured by its community, the names of the ten highest nodes, and the
// kinds' colours in a corner. Hovering a node calls the hover action with its description.
// The canvas keeps what it painted as an image, painted again only when the picture, the
// measure or the size changes.
class NetworkCanvas : public QWidget {
    Q_OBJECT

  public:
    explicit NetworkCanvas(QWidget* parent = nullptr);

    void Show(std::shared_ptr<const NetworkPicture> picture, NetworkPicture::Measure measure);
    void SetHoverAction(std::function<void(const QString&)> action) { m_hoverAction = std::move(action); }
    // The description of the node under a point of the canvas; empty when none is.
    QString DescribeAt(const QPoint& point) const;

    // Draws the picture into an area of any painter (the canvas, an image, an SVG file).
    static void Paint(QPainter& painter, const QRectF& area, const NetworkPicture& picture,
                      NetworkPicture::Measure measure);
    // The picture painted into a white image of `size` pixels (device pixels: `pixelRatio` times the area
    // painted).
    static QImage Render(const NetworkPicture& picture, NetworkPicture::Measure measure, QSize size,
                         double pixelRatio = 1);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::shared_ptr<const NetworkPicture> m_picture;
    NetworkPicture::Measure m_measure = NetworkPicture::Measure::PageRank;
    std::function<void(const QString&)> m_hoverAction;
    QImage m_painted;  // null when the picture must be painted again
};

}  // namespace marlin
