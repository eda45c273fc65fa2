#pragma once

#include <QDialog>

#include "workspace/session/frm_about.h"

class QCloseEvent;
class QShowEvent;

namespace marlin {

// The credentials and about dialog on Qt Widgets: the controls of frmAbout laid out,
// each carrying its name as objectName, and every event forwarded to frmAbout.
//
// The dialog has no parent window on purpose: the main window is disabled while the
// dialog is up, and Qt disables the child windows of a disabled window with it.
class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(frmAbout& form);

    frmAbout& form() const { return m_form; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape closes the dialog like its close box, under the same rules.
    void reject() override;

  private:
    void Build();

    frmAbout& m_form;
};

}  // namespace marlin
