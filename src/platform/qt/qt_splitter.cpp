#include "platform/qt/qt_splitter.h"

#include <QScopedValueRollback>

namespace marlin {

QtSplitter::QtSplitter(Splitter& splitter, QSplitter* widget)
    : QtControl(splitter, widget), m_splitter(splitter), m_widget(widget) {
    // Only a drag moves a handle this way; sizes the program sets do not come back here.
    connect(widget, &QSplitter::splitterMoved, this, [this] {
        if (m_applying || !ModelAlive()) return;
        QScopedValueRollback<bool> guard(m_applying, true);
        const QList<int> sizes = m_widget->sizes();
        m_splitter.SetSizes(std::vector<int>(sizes.begin(), sizes.end()));
    });
    Apply();
}

void QtSplitter::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) Apply();
}

void QtSplitter::Apply() {
    if (m_applying || !ModelAlive()) return;
    const std::vector<int>& sizes = m_splitter.Sizes();
    if (sizes.empty() || static_cast<int>(sizes.size()) != m_widget->count()) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    m_widget->setSizes(QList<int>(sizes.begin(), sizes.end()));
}

}  // namespace marlin
