#pragma once

#include <QDialog>
#include <functional>

#include "workspace/retrieval/search_volume_estimate.h"

class QFormLayout;
class QLabel;

namespace marlin {

// Tools › "Estimate Search Volume…" answered in a panel beside the window: the search that
// was counted, its figures, the limit for this run, and "Capture", which runs that search.
class EstimatePanel : public QDialog {
    Q_OBJECT

  public:
    // runLimit: the limit as typed; false when it is no amount.
    EstimatePanel(std::function<void()> capture, std::function<bool(const std::string&)> runLimit,
                  QWidget* parent);

    void Show(const SearchVolumeEstimate::Shown& shown);

  private:
    QLabel* m_search;
    QFormLayout* m_figures;
};

}  // namespace marlin
