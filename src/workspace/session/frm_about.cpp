#include "workspace/session/frm_about.h"

#include <algorithm>
#include <exception>

#include "service/app_cred_file.h"

namespace marlin {

namespace {

constexpr const char* kLoadedStatus = "Loaded previous credentials. Click OK to authenticate.";
constexpr const char* kEnterStatus = "Enter valid credentials, then click OK to authenticate.";
constexpr const char* kFailedStatus = "Authentication failed. Check credentials and try again.";
constexpr const char* kNoSysInfo = "System Information Is Unavailable At This Time";
constexpr const char* kDefaultQuery = "marlin AND twitter";

// The project version, set once in the top-level CMakeLists.txt.
constexpr const char* kVersion = MARLIN_VERSION;

// The pause after success is waited out in slices this long, with the window's
// events run between them, so the window repaints and stays responsive.
constexpr int kPauseSliceMilliseconds = 20;

constexpr const char* kMask = "*";

}  // namespace

frmAbout::frmAbout(Toolkit& toolkit, TwitterAPI& twitter, std::filesystem::path appFolder,
                   MainWindowLink link)
    : m_toolkit(toolkit), m_twitter(twitter), m_appFolder(std::move(appFolder)), m_link(std::move(link)) {
    lblCred[0].SetCaption("Application Name");
    lblCred[1].SetCaption("Consumer Key");
    lblCred[2].SetCaption("Consumer Secret");
    tbCred[2].SetPasswordChar(kMask);
    tbCred[2].SetToolTip("Always keep your Consumer Secret private");
    for (TextBox& field : tbCred) field.SetChangeAction([this] { UpdateOkButton(); });
    ShowSecret.SetPressAction([this] { tbCred[2].SetPasswordChar(""); });
    ShowSecret.SetReleaseAction([this] { tbCred[2].SetPasswordChar(kMask); });
    cmdOK.SetClickAction([this] { cmdOK_Click(); });
    cmdSysInfo.SetClickAction([this] { cmdSysInfo_Click(); });
    cmdOK.SetEnabled(false);
    Window.SetVisible(false);
}

void frmAbout::Form_Load() {
    m_caption = std::string("About ") + kApplicationTitle;
    lblTitle.SetCaption(kApplicationTitle);
    lblVersion.SetCaption(std::string("Version ") + kVersion + " (2015)");
    lblFolder.SetCaption("Program folder: " + m_appFolder.string());

    // A damaged file (empty, two lines, bad Base64, too few parts) yields incomplete
    // credentials; half-filled fields would only invite a doomed OK, so all stay empty.
    // The plain three-line form is shown as written, an empty line included, for the
    // user to complete.
    const AppCredFile file = AppCredFile::InFolder(m_appFolder);
    AppCredFile::Credentials stored = file.Read();
    if (!stored.Complete() && !file.PlainForm()) stored = {};
    tbCred[0].SetText(stored.appName);
    tbCred[1].SetText(stored.consumerKey);
    tbCred[2].SetText(stored.consumerSecret);

    UpdateOkButton();
    Status.SetForeColor(std::nullopt);
    Status.SetCaption(cmdOK.Enabled() ? kLoadedStatus : kEnterStatus);
}

void frmAbout::Show() {
    Window.SetVisible(true);
}

void frmAbout::UpdateOkButton() {
    bool complete =
        std::all_of(tbCred.begin(), tbCred.end(), [](const TextBox& field) { return !field.Text().empty(); });
    cmdOK.SetEnabled(complete);
}

void frmAbout::cmdOK_Click() {
    // The pause after success runs the window's events; a second click must not
    // start a second exchange inside the first.
    if (m_busy) return;
    if (!m_twitter.BearerToken().empty()) {
        ReturnToMainWindow();
        return;
    }
    m_busy = true;
    std::string token = m_twitter.AuthAppAccess(tbCred[0].Text(), tbCred[1].Text(), tbCred[2].Text());
    if (token.empty()) {
        // Only a refusal is the credentials' fault; a certificate or a time-out is named.
        Status.SetCaption(m_twitter.AuthRefused() ? std::string(kFailedStatus)
                                                  : "Authentication failed: " + m_twitter.AuthFailure());
        Status.SetForeColor(kRed);
        m_busy = false;
        return;
    }
    for (TextBox& field : tbCred) field.SetEnabled(false);
    Status.SetCaption(kSuccessStatus);
    Status.SetForeColor(kBlue);
    auto shown = std::chrono::steady_clock::now();
    m_toolkit.DoEvents();
    SaveCredentials();
    PauseKeepingWindowAlive(shown);
    m_busy = false;
    ReturnToMainWindow();
    try {
        if (m_link.setSearchQuery) m_link.setSearchQuery(kDefaultQuery);
        if (m_link.loadPrefs) m_link.loadPrefs();
    } catch (const std::exception&) {
        // The window is usable without the previous run's work; nothing to report.
    }
}

void frmAbout::SaveCredentials() {
    try {
        AppCredFile::InFolder(m_appFolder).Write({tbCred[0].Text(), tbCred[1].Text(), tbCred[2].Text()});
    } catch (const std::exception&) {
        // The token is already in hand; an unwritable program folder only means the
        // credentials are asked for again next time.
    }
}

void frmAbout::PauseKeepingWindowAlive(std::chrono::steady_clock::time_point since) {
    // The slept total bounds the loop too, so a toolkit whose Sleep does not really
    // sleep (the tests') does not spin for a real second.
    long long slept = 0;
    while (std::chrono::steady_clock::now() - since < m_successPause && slept < m_successPause.count()) {
        m_toolkit.DoEvents();
        m_toolkit.Sleep(kPauseSliceMilliseconds);
        slept += kPauseSliceMilliseconds;
    }
}

void frmAbout::ReturnToMainWindow() {
    Window.SetVisible(false);
    if (m_link.setEnabled) m_link.setEnabled(true);
    if (m_link.setFocus) m_link.setFocus();
}

void frmAbout::cmdSysInfo_Click() {
    // This platform has no system information tool to start.
    m_toolkit.MessageBox(kNoSysInfo, MsgButtons::OK, MsgIcon::Information);
}

bool frmAbout::Form_QueryUnload() {
    if (!m_twitter.BearerToken().empty()) return false;
    if (m_link.endProgram) m_link.endProgram();
    return true;
}

}  // namespace marlin
