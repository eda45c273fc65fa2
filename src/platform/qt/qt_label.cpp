#include "platform/qt/qt_label.h"

#include "platform/qt/qt_text.h"

namespace marlin {

QtLabel::QtLabel(Label& label, QLabel* widget)
    : QtControl(label, widget), m_label(label), m_widget(widget), m_formPalette(widget->palette()) {
    if (m_label.Caption().empty()) m_label.SetCaption(FromQt(m_widget->text()));
    Apply();
}

void QtLabel::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) Apply();
}

void QtLabel::Apply() {
    m_widget->setText(ToQt(m_label.Caption()));
    QPalette palette = m_formPalette;
    if (const auto rgb = m_label.ForeColor()) palette.setColor(QPalette::WindowText, QColor::fromRgb(*rgb));
    m_widget->setPalette(palette);
}

}  // namespace marlin
