#include "workspace/ui/row_preview_view.h"

#include "platform/qt/qt_text.h"

namespace marlin {

RowPreviewView::RowPreviewView(TextOf textOf, QWidget* parent)
    : QPlainTextEdit(parent), m_textOf(std::move(textOf)) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void RowPreviewView::Follow(ReportList* list) {
    m_list = list;
    m_subscription = list ? list->Subscribe([this](const ModelChange&) { Refresh(); }) : Subscription();
    Refresh();
}

void RowPreviewView::Refresh() {
    const bool alive = m_list && m_subscription.Active();
    const QString text = alive ? ToQt(m_textOf(*m_list, m_list->SelectedIndex())) : QString();
    if (text != toPlainText()) setPlainText(text);
}

QSize RowPreviewView::sizeHint() const {
    const int margins = contentsMargins().top() + contentsMargins().bottom() + 2 * frameWidth();
    return {QPlainTextEdit::sizeHint().width(), fontMetrics().lineSpacing() * kLines + margins};
}

}  // namespace marlin
