#include "workspace/ui/network_view.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/qt/qt_report_list.h"
#include "workspace/export/coword_network.h"
#include "workspace/export/interaction_network.h"
#include "workspace/export/network_files.h"
#include "workspace/ui/network_canvas.h"
#include "workspace/ui/picture_files.h"

namespace marlin {
namespace {

// A saved picture has this size whatever the pane's, as a saved chart has.
constexpr int kSavedWidth = 1600;
constexpr int kSavedHeight = 900;

using Measure = NetworkPicture::Measure;
constexpr Measure kMeasures[] = {Measure::PageRank,   Measure::InDegree,    Measure::OutDegree,
                                 Measure::WeightedIn, Measure::WeightedOut, Measure::Betweenness,
                                 Measure::KCore};

}  // namespace

NetworkView::NetworkView(ReportList& tweets, QWidget* parent) : QWidget(parent), m_tweets(tweets) {
    m_graph = new QComboBox(this);
    m_graph->setObjectName("NetworkGraph");
    m_graph->addItems({tr("Interactions"), tr("Co-words")});
    m_measure = new QComboBox(this);
    m_measure->setObjectName("NetworkMeasure");
    for (const Measure measure : kMeasures)
        m_measure->addItem(QString::fromUtf8(NetworkMeasures::MeasureName(measure)));
    auto* draw = new QPushButton(tr("Draw"), this);
    draw->setObjectName("NetworkDraw");
    auto* save = new QPushButton(tr("Save Network As…"), this);
    save->setObjectName("mSaveNetwork");
    m_note = new QLabel(this);
    m_note->setObjectName("NetworkNote");
    m_hover = new QLabel(this);
    m_hover->setObjectName("NetworkHover");
    m_hover->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long lines are cut at the pane's edge rather than widening the window.
    for (QLabel* label : {m_note, m_hover})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_canvas = new NetworkCanvas(this);
    m_canvas->setObjectName("NetworkCanvas");
    m_canvas->SetHoverAction([this](const QString& text) { m_hover->setText(text); });
    auto* top = new QTableView(this);
    top->setObjectName("NetworkTop");
    top->setAlternatingRowColors(true);
    top->setSelectionBehavior(QAbstractItemView::SelectRows);
    top->verticalHeader()->setVisible(false);
    top->verticalHeader()->setDefaultSectionSize(top->fontMetrics().height() + 6);
    new QtReportList(m_top, top);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_canvas);
    split->addWidget(top);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_graph);
    controls->addWidget(m_measure);
    controls->addWidget(draw);
    controls->addStretch(1);
    auto* more = new QHBoxLayout;
    more->addWidget(save);
    more->addWidget(m_note, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(more);
    layout->addWidget(split, 1);
    layout->addWidget(m_hover);

    connect(draw, &QPushButton::clicked, this, &NetworkView::Redraw);
    connect(save, &QPushButton::clicked, this, &NetworkView::SaveAs);
    connect(m_graph, &QComboBox::currentIndexChanged, this, &NetworkView::Redraw);
    connect(m_measure, &QComboBox::currentIndexChanged, this, &NetworkView::ShowMeasure);
    m_subscription = m_tweets.Subscribe([this](const ModelChange& change) {
        if (change.kind == ChangeKind::Reset || change.kind == ChangeKind::RowsInserted ||
            change.kind == ChangeKind::RowsChanged)
            m_stale = true;
    });
}

void NetworkView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) Redraw();
}

Measure NetworkView::ChosenMeasure() const {
    return kMeasures[std::clamp(m_measure->currentIndex(), 0, static_cast<int>(std::size(kMeasures)) - 1)];
}

void NetworkView::Redraw() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_stale = false;
    NetworkGraph graph = m_graph->currentIndex() == 1 ? CowordNetwork::FromTweets(m_tweets)
                                                      : InteractionNetwork::FromTweets(m_tweets);
    try {
        m_picture = std::make_shared<const NetworkPicture>(NetworkPicture::Of(std::move(graph)));
        m_note->setText(QString::fromStdString(m_picture->Note()));
    } catch (const std::exception& error) {
        m_picture.reset();
        m_note->setText(QString::fromStdString(error.what()));
    }
    ShowMeasure();
    QApplication::restoreOverrideCursor();
}

void NetworkView::ShowMeasure() {
    const Measure measure = ChosenMeasure();
    m_canvas->Show(m_picture, measure);
    m_hover->clear();
    m_top.ClearRows();
    m_top.ClearColumns();
    m_top.AddColumn("node", 2000);
    m_top.AddColumn(NetworkMeasures::MeasureName(measure), 1200, Alignment::Right);
    if (!m_picture) return;
    for (const int node : m_picture->Top(measure, kTop)) {
        const auto& measures = m_picture->Measures().Nodes()[static_cast<std::size_t>(node)];
        m_top.AddRow({m_picture->Graph().nodes[static_cast<std::size_t>(node)].label,
                      NetworkFiles::Number(NetworkMeasures::Value(measures, measure))});
    }
}

QString NetworkView::HoverText() const {
    return m_hover->text();
}

bool NetworkView::SaveTo(const QString& fileName) const {
    if (!m_picture) return false;
    const QRectF area(0, 0, kSavedWidth, kSavedHeight);
    if (fileName.endsWith(".svg", Qt::CaseInsensitive))
        return WriteSvg(fileName, area, tr("Network"), [&](QPainter& painter) {
            NetworkCanvas::Paint(painter, area, *m_picture, ChosenMeasure());
        });
    return NetworkCanvas::Render(*m_picture, ChosenMeasure(), QSize(kSavedWidth, kSavedHeight))
        .save(fileName, "PNG");
}

void NetworkView::SaveAs() {
    SavePictureAs(this, tr("Save Network As"), QStringLiteral("network.png"),
                  [this](const QString& fileName) { return SaveTo(fileName); });
}

}  // namespace marlin
