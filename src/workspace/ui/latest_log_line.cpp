#include "workspace/ui/latest_log_line.h"

#include "platform/qt/qt_text.h"

namespace marlin {

LatestLogLine::LatestLogLine(LogList& log, QWidget* parent) : QLabel(parent), m_log(log) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_subscription = log.Subscribe([this](const ModelChange&) { Take(); });
    Take();
}

void LatestLogLine::Take() {
    if (!m_subscription.Active()) return;
    m_line = ToQt(m_log.Last());
    setToolTip(m_line);
    Fit();
}

void LatestLogLine::Fit() {
    setText(fontMetrics().elidedText(m_line, Qt::ElideRight, contentsRect().width()));
}

void LatestLogLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

QSize LatestLogLine::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()};
}

QSize LatestLogLine::sizeHint() const {
    return {fontMetrics().horizontalAdvance(m_line), QLabel::sizeHint().height()};
}

}  // namespace marlin
