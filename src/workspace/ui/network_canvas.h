#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "workspace/export/network_picture.h"

namespace marlin {

// Paints a NetworkPicture: edges coloured by kind under the nodes, each node sized by the
// chosen measure and coloured by its community, the names of the ten highest nodes, and the
// kinds' colours in a corner. Hovering a node calls the hover action with its description.
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

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::shared_ptr<const NetworkPicture> m_picture;
    NetworkPicture::Measure m_measure = NetworkPicture::Measure::PageRank;
    std::function<void(const QString&)> m_hoverAction;
};

}  // namespace marlin
