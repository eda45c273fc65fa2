#include "platform/qt/qt_status_bar.h"

#include "platform/qt/qt_text.h"

namespace marlin {

QtStatusBar::QtStatusBar(StatusBar& bar, QStatusBar* widget) : QtControl(bar, widget), m_bar(bar) {
    constexpr std::array<int, StatusBar::kPanelCount> kStretch{1, 1, 2, 2};
    for (int i = 0; i < StatusBar::kPanelCount; ++i) {
        auto* label = new QLabel(widget);
        label->setObjectName(widget->objectName() + QStringLiteral("Panel") + QString::number(i + 1));
        // Each panel asks for its whole text, but a narrow window cuts long texts rather
        // than growing for them.
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 4);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        widget->addPermanentWidget(label, kStretch[i]);
        m_panels[i] = label;
        ApplyPanel(i + 1);
    }
}

void QtStatusBar::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::RowsChanged && change.first >= 1 &&
        change.first <= StatusBar::kPanelCount) {
        ApplyPanel(change.first);
    } else if (change.kind == ChangeKind::Reset) {
        for (int i = 1; i <= StatusBar::kPanelCount; ++i) ApplyPanel(i);
    }
}

void QtStatusBar::ApplyPanel(int number) {
    // Panel texts may end in a line break (the quota panel does); a panel is one line.
    QString text = ToQt(m_bar.Panel(number));
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_panels[number - 1]->setText(text.trimmed());
    m_panels[number - 1]->setToolTip(text.trimmed());
}

}  // namespace marlin
