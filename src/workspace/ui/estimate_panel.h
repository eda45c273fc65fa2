#pragma once

#include <QDialog>
#include <functional>

#include "workspace/retrieval/search_volume_estimate.h"

class QFormLayout;
class QLabel;

namespace marlin {

// Tools › "Estimate Search Volume…" answered in a panel beside the window: the search that
// was counted, its five figures, and "Capture", which runs that search.
class EstimatePanel : public QDialog {
    Q_OBJECT

  public:
    EstimatePanel(std::function<void()> capture, QWidget* parent);

    void Show(const SearchVolumeEstimate::Shown& shown);

  private:
    QLabel* m_search;
    QFormLayout* m_figures;
};

}  // namespace marlin
