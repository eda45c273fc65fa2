#include "platform/qt/qt_text_box.h"

#include <QEvent>
#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtTextBox::QtTextBox(TextBox& box, QLineEdit* widget) : QtControl(box, widget), m_box(box), m_line(widget) {
    connect(widget, &QLineEdit::textEdited, this, &QtTextBox::TakeUserText);
    widget->installEventFilter(this);
    ApplyProperties();
    ApplyText();
}

QtTextBox::QtTextBox(TextBox& box, QPlainTextEdit* widget)
    : QtControl(box, widget), m_box(box), m_plain(widget) {
    // textChanged also fires for the program's own setPlainText; the guard tells them apart.
    connect(widget, &QPlainTextEdit::textChanged, this, [this] {
        if (m_plain) TakeUserText(m_plain->toPlainText());
    });
    widget->installEventFilter(this);
    ApplyProperties();
    ApplyText();
}

void QtTextBox::TakeUserText(const QString& text) {
    if (m_applying || !ModelAlive()) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    m_box.SetText(FromQt(text));
}

bool QtTextBox::eventFilter(QObject* watched, QEvent* event) {
    // A box destroyed with the focus in it loses the focus as a bare widget: not the user leaving it.
    if (event->type() == QEvent::FocusOut && (Whole<QLineEdit>(watched) || Whole<QPlainTextEdit>(watched)) &&
        ModelAlive())
        m_box.LostFocus();
    return QtControl::eventFilter(watched, event);
}

void QtTextBox::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) {
        ApplyProperties();
        ApplyText();
    }
}

void QtTextBox::ApplyText() {
    if (m_applying) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    const QString text = ToQt(m_box.Text());
    if (m_line && m_line->text() != text) m_line->setText(text);
    if (m_plain && m_plain->toPlainText() != text) m_plain->setPlainText(text);
}

void QtTextBox::ApplyProperties() {
    if (m_line) {
        m_line->setReadOnly(m_box.ReadOnly());
        m_line->setEchoMode(m_box.PasswordChar().empty() ? QLineEdit::Normal : QLineEdit::Password);
    }
    if (m_plain) m_plain->setReadOnly(m_box.ReadOnly());
}

}  // namespace marlin
