#include "platform/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "platform/qt/qt_text.h"

namespace marlin {
namespace {

// Acts on the modal dialog once it is up, from inside its own event loop.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            WhenModal(act);  // not up yet: try again on the next pass
            return;
        }
        act(modal);
    });
}

TEST(QtToolkitTest, FilterListsBecomeQtNameFilters) {
    EXPECT_EQ(QtToolkit::NameFilters("Text (*.txt)|*.txt|Marlin Tweet Table (*.mtwt)|*.mtwt"),
              (QStringList{"Text (*.txt)", "Marlin Tweet Table (*.mtwt)"}));
    EXPECT_EQ(QtToolkit::NameFilters("Programs|*.exe|All files|*.*"),
              (QStringList{"Programs (*.exe)", "All files (*.*)"}));
    EXPECT_EQ(QtToolkit::NameFilters("Tables|*.txt;*.mtwt"), (QStringList{"Tables (*.txt *.mtwt)"}));
    EXPECT_TRUE(QtToolkit::NameFilters("").isEmpty());
    EXPECT_EQ(QtToolkit::WithDefaultExtension("/data/tweets", "txt"), "/data/tweets.txt");
    EXPECT_EQ(QtToolkit::WithDefaultExtension("/data/tweets.mtwt", "txt"), "/data/tweets.mtwt");
    EXPECT_EQ(QtToolkit::WithDefaultExtension("/data.d/tweets", "txt"), "/data.d/tweets.txt");
}

TEST(QtToolkitTest, MessageBoxShowsTitleTextButtonsAndReturnsThePressedOne) {
    QtToolkit toolkit;
    QString title, text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = box->standardButtons();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    const MsgResult answer =
        toolkit.MessageBox("Save Tweets before exiting?", MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    EXPECT_EQ(answer, MsgResult::No);
    EXPECT_EQ(title, kApplicationTitle);
    EXPECT_EQ(text, "Save Tweets before exiting?");
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(icon, QMessageBox::Warning);

    // Closing a Yes/No question without a choice is No; an OK/Cancel one is Cancel.
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(toolkit.MessageBox("Proceed?", "Filter Tweets", MsgButtons::YesNo, MsgIcon::None),
              MsgResult::No);
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(toolkit.MessageBox("Proceed?", "Filter Tweets", MsgButtons::OKCancel, MsgIcon::None),
              MsgResult::Cancel);
}

TEST(QtToolkitTest, InputBoxGivesTheAnswerOrTheEmptyTextWhenCancelled) {
    QtToolkit toolkit;
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->textValue(), "en");
        dialog->setTextValue("fr");
        dialog->accept();
    });
    EXPECT_EQ(toolkit.InputBox("Enter the ISO-639-1 code", "Set Search Language", "en"), "fr");
    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(toolkit.InputBox("Enter proxy address", "Set Proxy", "10.0.0.1:8080"), "");
}

// A log-in form: the password line hides what is typed, OK waits for every line, and a
// cancelled form leaves the answers as they were.
TEST(QtToolkitTest, AFormHidesItsPasswordLineAndAnswersOnlyWhenEveryLineIsFilled) {
    QtToolkit toolkit;
    std::vector<FormField> fields{
        {"Handle:", "ana.bsky.social"}, {"App password:", "", true}, {"Server:", "bsky.social"}};
    WhenModal([](QWidget* modal) {
        const QList<QLineEdit*> lines = modal->findChildren<QLineEdit*>();
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0]->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(lines[1]->echoMode(), QLineEdit::Password);
        EXPECT_EQ(modal->focusWidget(), lines[1]) << "the first empty line takes the typing";
        QPushButton* ok = modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        EXPECT_FALSE(ok->isEnabled());
        lines[1]->setText("abcd-efgh-ijkl-mnop");
        EXPECT_TRUE(ok->isEnabled());
        lines[2]->clear();
        EXPECT_FALSE(ok->isEnabled());
        lines[2]->setText("pds.example.org");
        ok->click();
    });
    ASSERT_TRUE(toolkit.AskForm("Bluesky Log-in", "Give an app password.", fields));
    EXPECT_EQ(fields[1].answer, "abcd-efgh-ijkl-mnop");
    EXPECT_EQ(fields[2].answer, "pds.example.org");

    WhenModal([](QWidget* modal) {
        modal->findChildren<QLineEdit*>()[0]->setText("someone.else");
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_FALSE(toolkit.AskForm("Bluesky Log-in", "", fields));
    EXPECT_EQ(fields[0].answer, "ana.bsky.social");
}

TEST(QtToolkitTest, SaveDialogAddsTheDefaultExtensionAndCancelIsToldApart) {
    QTemporaryDir folder;
    QtToolkit toolkit;
    FileDialogRequest request;
    request.filter = "Text (*.txt)|*.txt|Marlin Tweet Table (*.mtwt)|*.mtwt";
    request.defaultExtension = "txt";
    request.fileName = FromQt(folder.path()) + "/UntitledTweets1.txt";
    QString preset;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        preset = dialog->selectedFiles().value(0);
        dialog->selectFile(folder.path() + "/cats");
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    const auto chosen = toolkit.SaveFileDialog(request);
    EXPECT_EQ(preset, folder.path() + "/UntitledTweets1.txt");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, FromQt(folder.path()) + "/cats.txt");

    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(toolkit.OpenFileDialog(request).has_value());
}

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url) { urls << url; }
};

TEST(QtToolkitTest, ClipboardCursorAndUrls) {
    QtToolkit toolkit;
    toolkit.ClipboardSetText("line 1\r\nline 2\r\n");
    EXPECT_EQ(toolkit.ClipboardGetText(), "line 1\r\nline 2\r\n");
    toolkit.ClipboardClear();
    EXPECT_EQ(toolkit.ClipboardGetText(), "");

    toolkit.SetCursor(CursorShape::Busy);
    toolkit.SetCursor(CursorShape::ArrowAndBusy);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    toolkit.SetCursor(CursorShape::Normal);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // two busy calls, one restore undoes both
    toolkit.SetCursor(CursorShape::Normal);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    toolkit.OpenUrl("https://twitter.com/marlin_team");
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString(), "https://twitter.com/marlin_team");
}

TEST(QtToolkitTest, DoEventsRunsEventsButAtMostOnePassEveryFewMilliseconds) {
    QtToolkit toolkit;
    int delivered = 0;
    QObject receiver;
    std::function<void()> repost;
    // Each pass delivers the one queued call, which queues the next.
    repost = [&] {
        ++delivered;
        QMetaObject::invokeMethod(
            &receiver, [&] { repost(); }, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        &receiver, [&] { repost(); }, Qt::QueuedConnection);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100000; ++i) toolkit.DoEvents();
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_GE(delivered, 1);
    const auto passesAllowed = spent / QtToolkit::kEventPassInterval + 1;
    EXPECT_LE(delivered, passesAllowed);
    EXPECT_LT(delivered, 100000);
}

}  // namespace
}  // namespace marlin

#include "qt_toolkit_test.moc"
