#include "workspace/ui/raw_text_view.h"

#include <QFontDatabase>
#include <QMimeData>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace marlin {

RawTextView::RawTextView(TextBox& model, QWidget* parent) : QPlainTextEdit(parent), m_model(model) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_subscription = m_model.Subscribe([this](const ModelChange&) { Schedule(); });
    Apply();
}

void RawTextView::Schedule() {
    if (m_pending) return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        if (m_subscription.Active()) Apply();
    });
}

void RawTextView::Apply() {
    setEnabled(m_model.Enabled());
    // Only a change of the model's switch reaches the widget, so the view is never shown
    // before it sits in its page.
    if (m_model.Visible() != m_shownVisible) {
        m_shownVisible = m_model.Visible();
        setVisible(m_shownVisible);
    }
    setToolTip(ToQt(m_model.ToolTip()));
    const QString text = ToQt(m_model.Text());
    if (text == m_original) return;
    m_original = text;
    m_cuts.clear();
    QString shown;
    shown.reserve(text.size() + text.size() / kBlockLength + 1);
    qsizetype start = 0;
    while (text.size() - start > kBlockLength) {
        qsizetype end = start + kBlockLength;
        // Never between the two halves of a character outside the basic plane.
        if (text.at(end - 1).isHighSurrogate()) --end;
        shown += QStringView(text).mid(start, end - start);
        m_cuts.push_back(shown.size());
        shown += QChar(QChar::LineFeed);
        start = end;
    }
    shown += QStringView(text).mid(start);
    setPlainText(shown);
}

qsizetype RawTextView::OriginalPosition(qsizetype shownPosition) const {
    const auto before = std::lower_bound(m_cuts.begin(), m_cuts.end(), shownPosition) - m_cuts.begin();
    return std::min(shownPosition - before, m_original.size());
}

QMimeData* RawTextView::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    const qsizetype from = OriginalPosition(cursor.selectionStart());
    const qsizetype to = OriginalPosition(cursor.selectionEnd());
    auto* data = new QMimeData;
    data->setText(m_original.mid(from, std::max<qsizetype>(0, to - from)));
    return data;
}

}  // namespace marlin
