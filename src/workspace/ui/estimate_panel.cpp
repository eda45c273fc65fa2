#include "workspace/ui/estimate_panel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"

namespace marlin {

EstimatePanel::EstimatePanel(std::function<void()> capture, std::function<bool(const std::string&)> runLimit,
                             QWidget* parent)
    : QDialog(parent), m_search(new QLabel(this)), m_figures(new QFormLayout) {
    setObjectName("EstimatePanel");
    setWindowTitle(ToQt(SearchVolumeEstimate::kTitle));
    m_search->setObjectName("EstimateSearch");
    m_search->setWordWrap(true);
    m_search->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* run = buttons->addButton(tr("Capture"), QDialogButtonBox::AcceptRole);
    run->setObjectName("EstimateCapture");
    run->setToolTip(tr("Run the search that was estimated"));
    buttons->addButton(QDialogButtonBox::Close)->setObjectName("EstimateClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(run, &QPushButton::clicked, this, [this, capture = std::move(capture)] {
        hide();
        capture();
    });
    // The most this one search may spend, in dollars; empty for no limit of its own.
    auto* limit = new QLineEdit(this);
    limit->setObjectName("EstimateRunLimit");
    limit->setPlaceholderText(tr("none"));
    limit->setToolTip(
        tr("The most this search may spend, in dollars; it stops before a request that could cross it"));
    connect(limit, &QLineEdit::textEdited, this,
            [limit, runLimit = std::move(runLimit)](const QString& text) {
                const bool taken = runLimit(FromQt(text));
                limit->setStyleSheet(taken ? QString() : QStringLiteral("color: red"));
            });
    auto* limitRow = new QFormLayout;
    limitRow->addRow(tr("Limit for this run ($):"), limit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addLayout(m_figures);
    layout->addLayout(limitRow);
    layout->addWidget(buttons);
}

void EstimatePanel::Show(const SearchVolumeEstimate::Shown& shown) {
    m_search->setText(ToQt(shown.search));
    while (m_figures->rowCount() > 0) m_figures->removeRow(0);
    for (std::size_t i = 0; i < shown.figures.size(); ++i) {
        auto* value = new QLabel(ToQt(shown.figures[i].value), this);
        value->setObjectName(QStringLiteral("EstimateFigure(%1)").arg(i));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_figures->addRow(ToQt(shown.figures[i].name) + ':', value);
    }
    show();
    raise();
    activateWindow();
}

}  // namespace marlin
