#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "platform/qt/qt_text.h"

namespace marlin {
namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton escape;  // what closing the box with Escape or its title bar means
};

ButtonSet ToQtButtons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OKCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case MsgButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
        case MsgButtons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::Cancel};
        case MsgButtons::OK:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

MsgResult FromQtButton(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            return MsgResult::OK;
    }
}

}  // namespace

MsgResult QtToolkit::ShowMessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                    MsgIcon icon) {
    const ButtonSet set = ToQtButtons(buttons);
    QMessageBox box(ToQtIcon(icon), ToQt(title), ToQt(text), set.buttons, m_window);
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return FromQtButton(clicked ? box.standardButton(clicked) : set.escape);
}

bool QtToolkit::ShowOffer(const std::string& text, const std::string& title, const std::string& action) {
    QMessageBox box(QMessageBox::Warning, ToQt(title), ToQt(text), QMessageBox::Close, m_window);
    QPushButton* take = box.addButton(ToQt(action), QMessageBox::AcceptRole);
    take->setObjectName("OfferedAction");
    box.setDefaultButton(take);
    box.setEscapeButton(QMessageBox::Close);
    box.exec();
    return box.clickedButton() == take;
}

std::string QtToolkit::InputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultAnswer) {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_window, ToQt(title), ToQt(prompt), QLineEdit::Normal,
                                                 ToQt(defaultAnswer), &ok);
    return ok ? FromQt(answer) : std::string();
}

bool QtToolkit::ShowForm(const std::string& title, const std::string& note, std::vector<FormField>& fields) {
    QDialog dialog(m_window);
    dialog.setObjectName("FormDialog");
    dialog.setWindowTitle(ToQt(title));
    auto* words = new QLabel(ToQt(note), &dialog);
    words->setWordWrap(true);
    words->setOpenExternalLinks(true);
    auto* form = new QFormLayout;
    std::vector<QLineEdit*> lines;
    for (const FormField& field : fields) {
        auto* line = new QLineEdit(ToQt(field.answer), &dialog);
        line->setEchoMode(field.hidden ? QLineEdit::Password : QLineEdit::Normal);
        form->addRow(ToQt(field.label), line);
        lines.push_back(line);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    const auto allFilled = [&lines, ok] {
        ok->setEnabled(
            std::all_of(lines.begin(), lines.end(), [](QLineEdit* line) { return !line->text().isEmpty(); }));
    };
    for (QLineEdit* line : lines) QObject::connect(line, &QLineEdit::textChanged, &dialog, allFilled);
    allFilled();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(words);
    layout->addLayout(form);
    layout->addWidget(buttons);
    for (QLineEdit* line : lines)
        if (line->text().isEmpty()) {
            line->setFocus();
            break;
        }
    if (dialog.exec() != QDialog::Accepted) return false;
    for (std::size_t k = 0; k < fields.size(); ++k) fields[k].answer = FromQt(lines[k]->text());
    return std::all_of(fields.begin(), fields.end(),
                       [](const FormField& field) { return !field.answer.empty(); });
}

std::optional<std::string> QtToolkit::ShowFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_window, ToQt(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(ToQt(request.defaultExtension));
    if (!request.fileName.empty()) {
        const QFileInfo preset(ToQt(request.fileName));
        if (preset.isAbsolute() || request.fileName.find('/') != std::string::npos) {
            dialog.setDirectory(preset.absolutePath());
        }
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString chosen = dialog.selectedFiles().constFirst();
    // Some platform dialogs ignore the default suffix; the caller relies on it.
    if (save) chosen = WithDefaultExtension(chosen, request.defaultExtension);
    return FromQt(QDir::toNativeSeparators(chosen));
}

QStringList QtToolkit::NameFilters(const std::string& filter) {
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString label = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses of the label; classic labels often
        // already show them, so add them only when missing.
        if (label.contains(QLatin1Char('(')) && label.endsWith(QLatin1Char(')'))) {
            const QString shown = label.mid(label.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).trimmed();
            filters << (shown == patterns ? label
                                          : label + QStringLiteral(" (") + patterns + QLatin1Char(')'));
        } else {
            filters << (label.isEmpty() ? patterns
                                        : label + QStringLiteral(" (") + patterns + QLatin1Char(')'));
        }
    }
    return filters;
}

QString QtToolkit::WithDefaultExtension(const QString& path, const std::string& extension) {
    if (extension.empty() || path.isEmpty()) return path;
    const QString name = QFileInfo(path).fileName();
    if (name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + ToQt(extension);
}

void QtToolkit::ClipboardClear() {
    QGuiApplication::clipboard()->clear();
}

void QtToolkit::ClipboardSetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(ToQt(text));
}

std::string QtToolkit::ClipboardGetText() {
    return FromQt(QGuiApplication::clipboard()->text());
}

void QtToolkit::SetCursor(CursorShape shape) {
    if (shape == CursorShape::Normal) {
        // One override at most is ours, so one restore undoes it.
        if (m_cursorOverridden) QGuiApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
        return;
    }
    const QCursor cursor(shape == CursorShape::Busy ? Qt::WaitCursor : Qt::BusyCursor);
    if (m_cursorOverridden) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        m_cursorOverridden = true;
    }
}

void QtToolkit::DoEvents() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastEventPass < kEventPassInterval) return;
    QCoreApplication::processEvents();
    // Measured after the pass, so a slow pass does not make the next one come sooner.
    m_lastEventPass = std::chrono::steady_clock::now();
}

void QtToolkit::Sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void QtToolkit::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl::fromUserInput(ToQt(url)));
}

}  // namespace marlin
