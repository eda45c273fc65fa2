#include "workspace/ui/network_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSemaphore>
#include <QThreadPool>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace marlin {
namespace {

constexpr double kMargin = 24;
constexpr double kSmallest = 2.5;           // radius in pixels of a node whose measure is 0
constexpr double kLargest = 16;             // of the node with the largest value
constexpr double kHoverReach = 8;           // pixels around a node's centre that still hover it
constexpr int kNamed = 10;                  // nodes whose names are written
constexpr std::size_t kSmoothEdges = 5000;  // edges drawn antialiased, at most

// Twelve colours that tell communities apart; later communities are grey.
const QColor& CommunityColour(int community) {
    static const QColor colours[] = {QColor(31, 119, 180),  QColor(255, 127, 14),  QColor(44, 160, 44),
                                     QColor(214, 39, 40),   QColor(148, 103, 189), QColor(140, 86, 75),
                                     QColor(227, 119, 194), QColor(188, 189, 34),  QColor(23, 190, 207),
                                     QColor(174, 199, 232), QColor(255, 187, 120), QColor(152, 223, 138)};
    static const QColor grey(170, 170, 170);
    return community >= 0 && community < static_cast<int>(std::size(colours)) ? colours[community] : grey;
}

struct KindColour {
    const char* kind;
    QColor colour;
};
const KindColour kKinds[] = {{"reply", QColor(33, 102, 172, 110)},
                             {"quote", QColor(27, 158, 119, 110)},
                             {"repost", QColor(217, 95, 2, 110)},
                             {"mention", QColor(120, 120, 120, 90)}};
const QColor kPlainEdge(120, 120, 120, 90);

QColor EdgeColour(const char* kind) {
    for (const KindColour& k : kKinds)
        if (kind && std::strcmp(kind, k.kind) == 0) return k.colour;
    return kPlainEdge;
}

QPointF At(const QRectF& area, NetworkPicture::Point p) {
    return {area.left() + kMargin + p.x * (area.width() - 2 * kMargin),
            area.top() + kMargin + p.y * (area.height() - 2 * kMargin)};
}

void PaintLegend(QPainter& painter, const QRectF& area, const NetworkPicture& picture) {
    if (!picture.Graph().directed) return;  // only the interaction graph has kinds
    QFontMetricsF metrics(painter.font());
    double y = area.top() + 8;
    for (const KindColour& k : kKinds) {
        QColor solid = k.colour;
        solid.setAlpha(255);
        painter.setPen(QPen(solid, 3));
        painter.drawLine(QPointF(area.left() + 8, y + metrics.height() / 2),
                         QPointF(area.left() + 28, y + metrics.height() / 2));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(area.left() + 34, y + metrics.ascent()), QString::fromUtf8(k.kind));
        y += metrics.height() + 2;
    }
}

}  // namespace

NetworkCanvas::NetworkCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(200, 150);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void NetworkCanvas::Show(std::shared_ptr<const NetworkPicture> picture, NetworkPicture::Measure measure) {
    m_picture = std::move(picture);
    m_measure = measure;
    m_painted = QImage();
    update();
}

void NetworkCanvas::Paint(QPainter& painter, const QRectF& area, const NetworkPicture& picture,
                          NetworkPicture::Measure measure) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    const NetworkGraph& graph = picture.Graph();
    // Edges in batches of one colour and width (a heavier tie is drawn wider): thousands of
    // pens set one by one would cost more than the drawing.
    std::map<std::pair<QRgb, int>, QVector<QLineF>> batches;
    for (const int index : picture.DrawnEdges()) {
        const NetworkGraph::Edge& edge = graph.edges[static_cast<std::size_t>(index)];
        const int width = std::min(4, static_cast<int>(std::log2(1.0 + edge.weight)));
        batches[{EdgeColour(edge.kind).rgba(), width}].append(
            QLineF(At(area, picture.Position(edge.source)), At(area, picture.Position(edge.target))));
    }
    // Past a few thousand, edges are hair lines without antialiasing: drawn ten times faster,
    // and at that density no single line is followed by eye anyway.
    const bool many = picture.DrawnEdges().size() > kSmoothEdges;
    painter.setRenderHint(QPainter::Antialiasing, !many);
    for (const auto& [style, lines] : batches) {
        painter.setPen(QPen(QColor::fromRgba(style.first), many ? 0 : 0.6 + style.second * 0.5));
        painter.drawLines(lines);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The largest nodes last, on top.
    std::vector<int> nodes = picture.DrawnNodes();
    std::vector<double> size(graph.nodes.size(), 0);
    for (const int node : nodes) size[static_cast<std::size_t>(node)] = picture.Size(node, measure);
    std::sort(nodes.begin(), nodes.end(), [&size](int a, int b) {
        return size[static_cast<std::size_t>(a)] < size[static_cast<std::size_t>(b)];
    });
    painter.setPen(QPen(QColor(255, 255, 255, 200), 0.8));
    for (const int node : nodes) {
        const double radius = kSmallest + (kLargest - kSmallest) * size[static_cast<std::size_t>(node)];
        painter.setBrush(
            CommunityColour(picture.Measures().Nodes()[static_cast<std::size_t>(node)].community));
        painter.drawEllipse(At(area, picture.Position(node)), radius, radius);
    }
    painter.setPen(Qt::black);
    for (const int node : picture.Top(measure, kNamed)) {
        if (!std::binary_search(picture.DrawnNodes().begin(), picture.DrawnNodes().end(), node)) continue;
        const double radius = kSmallest + (kLargest - kSmallest) * size[static_cast<std::size_t>(node)];
        painter.drawText(At(area, picture.Position(node)) + QPointF(radius + 2, 4),
                         QString::fromStdString(graph.nodes[static_cast<std::size_t>(node)].label));
    }
    PaintLegend(painter, area, picture);
    painter.restore();
}

QImage NetworkCanvas::Render(const NetworkPicture& picture, NetworkPicture::Measure measure, QSize size,
                             double pixelRatio) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    const auto paint = [&] {
        QPainter painter(&image);
        Paint(painter, QRectF(QPointF(0, 0), QSizeF(size) / pixelRatio), picture, measure);
    };
    // Qt's raster painter hands every batch of a few hundred pixel runs to Qt's thread pool
    // and waits for them, unless it already paints on one of the pool's threads. Tens of
    // thousands of thin lines make tens of thousands of such batches, each far smaller than
    // waking a thread costs: painted on a pool thread, the picture takes a fifth of the CPU.
    // With no pool thread free it is painted here.
    QSemaphore done;
    if (!QThreadPool::globalInstance()->tryStart([&] {
            paint();
            done.release();
        }))
        paint();
    else
        done.acquire();
    return image;
}

void NetworkCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture) return;
    const double ratio = devicePixelRatioF();
    if (m_painted.isNull()) m_painted = Render(*m_picture, m_measure, size() * ratio, ratio);
    painter.drawImage(QPointF(0, 0), m_painted);
}

void NetworkCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_painted = QImage();
}

QString NetworkCanvas::DescribeAt(const QPoint& point) const {
    if (!m_picture) return {};
    const double width = std::max(1.0, this->width() - 2 * kMargin);
    const double height = std::max(1.0, this->height() - 2 * kMargin);
    const NetworkPicture::Point at{(point.x() - kMargin) / width, (point.y() - kMargin) / height};
    // The reach in the picture's units, the smaller of the two scales.
    const int node = m_picture->NodeAt(at, (kHoverReach + kLargest / 2) / std::min(width, height));
    return node < 0 ? QString() : QString::fromStdString(m_picture->Describe(node));
}

void NetworkCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QString text = DescribeAt(event->position().toPoint());
    if (m_hoverAction) m_hoverAction(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

}  // namespace marlin
