#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "platform/change_notifier.h"
#include "platform/report_list.h"
#include "workspace/export/network_picture.h"

class QComboBox;
class QLabel;

namespace marlin {

class NetworkCanvas;

// The "Network" tab: the interaction network of the Tweets table (or the co-word graph of
// its words) drawn, nodes sized by the chosen measure and coloured by community, edges by
// kind; hovering a node shows its name and measures; beside it the 20 nodes highest by the
// measure. It follows the table as the chart does: a change marks the picture stale and it
// is drawn again when the tab is shown (or Draw is pressed). "Save Network As…" writes the
// picture as PNG or SVG at a fixed 1600×900.
class NetworkView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTop = 20;

    explicit NetworkView(ReportList& tweets, QWidget* parent = nullptr);

    // Builds the graph and its picture from the table now.
    void Redraw();
    // Writes the picture at 1600×900 to a PNG or SVG file (by its extension); false when it could not.
    bool SaveTo(const QString& fileName) const;

    const NetworkPicture* Picture() const { return m_picture.get(); }
    const ReportList& TopTable() const { return m_top; }
    NetworkCanvas* Canvas() const { return m_canvas; }
    QString HoverText() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowMeasure();
    void SaveAs();
    NetworkPicture::Measure ChosenMeasure() const;

    ReportList& m_tweets;
    ReportList m_top;
    std::shared_ptr<const NetworkPicture> m_picture;
    QComboBox* m_graph = nullptr;
    QComboBox* m_measure = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_hover = nullptr;
    NetworkCanvas* m_canvas = nullptr;
    bool m_stale = true;
    Subscription m_subscription;
};

}  // namespace marlin
