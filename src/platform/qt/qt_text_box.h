#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include "platform/qt/qt_control.h"
#include "platform/text_box.h"

namespace marlin {

// Binds a TextBox to a QLineEdit (one line; the masking character becomes password
// echo) or to a QPlainTextEdit (many lines, such as the raw response). Typing goes to
// the model as it happens, so the change action sees every edit; the focus leaving
// the box runs its lost-focus action.
class QtTextBox : public QtControl {
    Q_OBJECT

  public:
    QtTextBox(TextBox& box, QLineEdit* widget);
    QtTextBox(TextBox& box, QPlainTextEdit* widget);

  protected:
    void OnChange(const ModelChange& change) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyText();
    void ApplyProperties();
    void TakeUserText(const QString& text);

    TextBox& m_box;
    QPointer<QLineEdit> m_line;
    QPointer<QPlainTextEdit> m_plain;
    bool m_applying = false;
};

}  // namespace marlin
