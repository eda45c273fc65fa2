#include "workspace/ui/about_dialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_control.h"
#include "platform/qt/qt_label.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_text_box.h"

namespace marlin {

namespace {

QString IndexedName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

}  // namespace

AboutDialog::AboutDialog(frmAbout& form) : QDialog(nullptr), m_form(form) {
    setObjectName("frmAbout");
    setSizeGripEnabled(true);
    // The main window takes no input while the dialog is up, as if it were disabled.
    setWindowModality(Qt::ApplicationModal);
    Build();
}

void AboutDialog::Build() {
    frmAbout& f = m_form;

    auto* icon = new QLabel(this);
    icon->setObjectName("picIcon");
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this) * 3 / 2;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(this);
    title->setObjectName("lblTitle");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    new QtLabel(f.lblTitle, title);

    auto* version = new QLabel(this);
    version->setObjectName("lblVersion");
    new QtLabel(f.lblVersion, version);

    auto* folder = new QLabel(this);
    folder->setObjectName("lblFolder");
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    new QtLabel(f.lblFolder, folder);

    auto* description = new QLabel(this);
    description->setObjectName("lblDescription");
    description->setWordWrap(true);
    new QtLabel(f.lblDescription, description);

    auto* heading = new QVBoxLayout;
    heading->addWidget(title);
    heading->addWidget(version);
    heading->addWidget(folder);
    heading->addSpacing(fontMetrics().height() / 2);
    heading->addWidget(description);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(heading, 1);

    auto* fields = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(IndexedName("lblCred", i));
        new QtLabel(f.lblCred[static_cast<std::size_t>(i)], label);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(IndexedName("tbCred", i));
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 48);
        new QtTextBox(f.tbCred[static_cast<std::size_t>(i)], edit);
        label->setBuddy(edit);
        fields->addWidget(label, i, 0);
        fields->addWidget(edit, i, 1);
    }
    auto* show = new QPushButton(this);
    show->setObjectName("ShowSecret");
    show->setAutoDefault(false);
    new QtButton(f.ShowSecret, show);
    fields->addWidget(show, 2, 2);
    fields->setColumnStretch(1, 1);

    auto* status = new QLabel(this);
    status->setObjectName("Status");
    status->setWordWrap(true);
    status->setMinimumHeight(status->fontMetrics().height() * 2);
    new QtLabel(f.Status, status);

    auto* line = new QFrame(this);
    line->setObjectName("lineSeparator");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* ok = new QPushButton(this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    new QtButton(f.cmdOK, ok);
    auto* sysInfo = new QPushButton(this);
    sysInfo->setObjectName("cmdSysInfo");
    sysInfo->setAutoDefault(false);
    new QtButton(f.cmdSysInfo, sysInfo);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(fields);
    layout->addWidget(status);
    layout->addStretch(1);
    layout->addWidget(line);
    layout->addLayout(buttons);

    // Visibility is the model's: OK hides the dialog, About shows it again.
    new QtControl(f.Window, this);
}

void AboutDialog::showEvent(QShowEvent* event) {
    setWindowTitle(ToQt(m_form.Caption()));
    QDialog::showEvent(event);
}

void AboutDialog::closeEvent(QCloseEvent* event) {
    if (m_form.Form_QueryUnload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void AboutDialog::reject() {
    close();
}

}  // namespace marlin
