#include "workspace/ui/amounts_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_text_box.h"

namespace marlin {

AmountsDialog::AmountsDialog(const QString& name, const QString& title, const QString& note,
                             std::vector<Field> fields, std::function<bool()> ok, QWidget* parent)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(title);
    setModal(true);
    auto* form = new QFormLayout;
    for (const Field& field : fields) {
        auto* line = new QLineEdit(this);
        line->setObjectName(field.name);
        new QtTextBox(field.box, line);
        form->addRow(tr(field.label) + ':', line);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(name + "OK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(name + "Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, [this, ok = std::move(ok)] {
        if (ok()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* words = new QLabel(note, this);
    words->setWordWrap(true);
    layout->addWidget(words);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void AmountsDialog::Open() {
    show();
    raise();
    activateWindow();
    if (auto* first = findChild<QLineEdit*>()) {
        first->setFocus();
        first->selectAll();
    }
}

}  // namespace marlin
