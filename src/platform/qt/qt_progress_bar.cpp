#include "platform/qt/qt_progress_bar.h"

#include <QHBoxLayout>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace marlin {

QtProgressBar::QtProgressBar(ProgressBar& model, QWidget* container)
    : QtControl(model, container),
      m_model(model),
      m_bar(new QProgressBar(container)),
      m_rate(new QLabel(container)) {
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_rate);
    m_bar->setObjectName(container->objectName() + "Bar");
    m_rate->setObjectName(container->objectName() + "Rate");
    m_bar->setMaximumWidth(160);
    // As wide as the longest rate from the start: a text that grows page by page would push
    // its neighbours about.
    int rate = 0;
    for (const char* text : {"99,999 tweets/min, about 999 min left", "waiting for the service (999 s)",
                             "$99.99 spent, about $999.99 left"})
        rate = std::max(rate, m_rate->fontMetrics().horizontalAdvance(QString::fromLatin1(text)));
    m_rate->setMinimumWidth(rate);
    Apply();
}

void QtProgressBar::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) Apply();
}

void QtProgressBar::Apply() {
    // An empty range is Qt's busy bar.
    m_bar->setRange(0, m_model.EndKnown() ? 100 : 0);
    m_bar->setValue(m_model.Percent());
    const std::string& rate = m_model.RateText();
    const std::string& note = m_model.Note();
    m_rate->setText(ToQt(rate.empty() || note.empty() ? rate + note : rate + "; " + note));
}

}  // namespace marlin
