#include "platform/qt/qt_status_bar.h"

#include "platform/qt/qt_text.h"

namespace marlin {

namespace {

// The longest texts each panel usually holds: its width from the start, so that no panel
// moves when a count gains a digit.
constexpr std::array<const char*, StatusBar::kPanelCount> kUsualLongest{
    "99999 tweets displayed", "9999 users displayed (9999 checked)", "900 USER_TIMELINE requests remaining",
    "Next reset: 09/12/2026 17:35:00"};

int TextWidth(const QLabel* label, const QString& text) {
    return label->fontMetrics().horizontalAdvance(text) + label->frameWidth() * 2 + label->margin() * 2 +
           label->fontMetrics().averageCharWidth() * 2;
}

}  // namespace

QtStatusBar::QtStatusBar(StatusBar& bar, QStatusBar* widget) : QtControl(bar, widget), m_bar(bar) {
    for (int i = 0; i < StatusBar::kPanelCount; ++i) {
        auto* label = new QLabel(widget);
        label->setObjectName(widget->objectName() + QStringLiteral("Panel") + QString::number(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setFixedWidth(
            TextWidth(label, QString::fromLatin1(kUsualLongest[static_cast<std::size_t>(i)])));
        widget->addPermanentWidget(label, 0);
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
    QLabel* panel = m_panels[number - 1];
    panel->setText(text.trimmed());
    panel->setToolTip(text.trimmed());
    // A longer text than usual widens its panel for good rather than being cut; the panel
    // never narrows again, so the panels stay where they are.
    if (const int needed = TextWidth(panel, panel->text()); needed > panel->width())
        panel->setFixedWidth(needed);
}

}  // namespace marlin
