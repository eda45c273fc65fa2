#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/app_cred_file.h"
#include "service/curl_http_request.h"
#include "service/enc64.h"
#include "service/twitter_api.h"
#include "test_support.h"
#include "toolkit_hosts.h"
#include "workspace/session/frm_about.h"

namespace marlin {
namespace {

using testing::ReadFileBytes;
using testing::ScriptedToolkit;
using testing::TempFolder;
using testing::ToolkitExchangeHost;
using testing::WriteFileBytes;

emulator::EmulatorConfig SmallService() {
    emulator::EmulatorConfig config;
    config.users = 64;
    config.tweetsPerDay = 200;
    return config;
}

// The dialog wired to a stand-in main window that records what the dialog asks of it.
class FrmAboutTest : public ::testing::Test {
  protected:
    FrmAboutTest()
        : service(SmallService()),
          twitter(host, CurlHttpRequest::Factory(), (service.Start(), service.BaseUrl())),
          dialog(toolkit, twitter, folder.path(), Link()) {}

    frmAbout::MainWindowLink Link() {
        frmAbout::MainWindowLink link;
        link.setEnabled = [this](bool enabled) { calls.push_back(enabled ? "enable" : "disable"); };
        link.setFocus = [this] { calls.push_back("focus"); };
        link.setSearchQuery = [this](const std::string& query) { calls.push_back("query " + query); };
        link.loadPrefs = [this] { calls.push_back("prefs"); };
        link.endProgram = [this] { calls.push_back("end"); };
        return link;
    }

    void TypeCredentials(const std::string& name, const std::string& key, const std::string& secret) {
        dialog.tbCred[0].SetText(name);
        dialog.tbCred[1].SetText(key);
        dialog.tbCred[2].SetText(secret);
    }
    void TypeDemoCredentials() {
        const auto& c = service.Config();
        TypeCredentials(c.appName, c.consumerKey, c.consumerSecret);
    }
    int TokenRequests() const {
        int count = 0;
        for (const auto& request : service.Requests()) count += request.path == "/oauth2/token";
        return count;
    }
    std::filesystem::path CredFile() const { return folder / AppCredFile::kFileName; }
    std::vector<std::string> Fields() const {
        return {dialog.tbCred[0].Text(), dialog.tbCred[1].Text(), dialog.tbCred[2].Text()};
    }

    TempFolder folder;
    ScriptedToolkit toolkit;
    ToolkitExchangeHost host{toolkit};
    emulator::Emulator service;
    TwitterAPI twitter;
    frmAbout dialog;
    std::vector<std::string> calls;
};

TEST_F(FrmAboutTest, LoadShowsTitleVersionAndAsksForCredentialsWithoutAFile) {
    dialog.Form_Load();
    EXPECT_EQ(dialog.Caption(), "About Marlin Skimmer Desktop Edition");
    EXPECT_EQ(dialog.lblTitle.Caption(), "Marlin Skimmer Desktop Edition");
    EXPECT_EQ(dialog.lblVersion.Caption(), "Version 1.0.0 (2015)");
    EXPECT_EQ(dialog.lblFolder.Caption(), "Program folder: " + folder.path().string());
    EXPECT_EQ(dialog.lblCred[2].Caption(), "Consumer Secret");
    EXPECT_EQ(dialog.tbCred[2].PasswordChar(), "*");
    EXPECT_EQ(Fields(), (std::vector<std::string>{"", "", ""}));
    EXPECT_FALSE(dialog.cmdOK.Enabled());
    EXPECT_EQ(dialog.Status.Caption(), "Enter valid credentials, then click OK to authenticate.");
}

TEST_F(FrmAboutTest, LoadReadsBothFileForms) {
    std::string plain = "My App\r\nkey1\r\nsecr\xE9t\r\n";  // the older form, in the single-byte code page
    WriteFileBytes(CredFile(), plain);
    dialog.Form_Load();
    EXPECT_EQ(Fields(), (std::vector<std::string>{"My App", "key1", "secr\xC3\xA9t"}));
    EXPECT_TRUE(dialog.cmdOK.Enabled());
    EXPECT_EQ(dialog.Status.Caption(), "Loaded previous credentials. Click OK to authenticate.");

    WriteFileBytes(CredFile(), Base64EncodeSingleLine("Other\r\nk2\r\ns2") + "\r\n");
    dialog.Form_Load();
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Other", "k2", "s2"}));
}

TEST_F(FrmAboutTest, DamagedFilesLeaveTheFieldsEmpty) {
    const std::vector<std::string> damaged = {
        "",                                              // empty
        "My App\r\nkey1\r\n",                            // two lines
        "YWJ\r\n",                                       // one line, not Base64
        "not base64 at all!\r\n",                        // one line, length a multiple of 4
        Base64EncodeSingleLine("name\r\nkey") + "\r\n",  // decodes to two parts
    };
    for (const auto& content : damaged) {
        SCOPED_TRACE(content);
        WriteFileBytes(CredFile(), content);
        dialog.Form_Load();
        EXPECT_EQ(Fields(), (std::vector<std::string>{"", "", ""}));
        EXPECT_FALSE(dialog.cmdOK.Enabled());
        EXPECT_EQ(dialog.Status.Caption(), "Enter valid credentials, then click OK to authenticate.");
    }
}

TEST_F(FrmAboutTest, OkFollowsTheFieldsAndShowRevealsTheSecretWhileHeld) {
    dialog.Form_Load();
    TypeCredentials("a", "b", "c");
    EXPECT_TRUE(dialog.cmdOK.Enabled());
    for (int i = 0; i < 3; ++i) {
        dialog.tbCred[i].SetText("");
        EXPECT_FALSE(dialog.cmdOK.Enabled()) << i;
        dialog.tbCred[i].SetText("x");
        EXPECT_TRUE(dialog.cmdOK.Enabled()) << i;
    }
    dialog.ShowSecret.Press();
    EXPECT_EQ(dialog.tbCred[2].PasswordChar(), "");
    dialog.ShowSecret.Release();
    EXPECT_EQ(dialog.tbCred[2].PasswordChar(), "*");
}

TEST_F(FrmAboutTest, SuccessfulOkAuthenticatesRewritesTheFileAndOpensTheMainWindow) {
    WriteFileBytes(CredFile(), "stale\r\nstale\r\nstale\r\n");
    dialog.Form_Load();
    dialog.Show();
    TypeDemoCredentials();

    // While the one-second pause runs, the window's events keep running and the
    // dialog still shows the good news.
    int eventsDuringPause = 0;
    toolkit.onDoEvents = [&] {
        if (dialog.Status.Caption() != frmAbout::kSuccessStatus) return;
        ++eventsDuringPause;
        EXPECT_TRUE(dialog.Window.Visible());
        EXPECT_EQ(dialog.Status.ForeColor(), frmAbout::kBlue);
    };
    dialog.cmdOK.Click();

    EXPECT_FALSE(twitter.BearerToken().empty());
    EXPECT_EQ(dialog.Status.Caption(), "Authentication successful. Skimmer is now operational!");
    for (const auto& field : dialog.tbCred) EXPECT_FALSE(field.Enabled());
    EXPECT_FALSE(dialog.Window.Visible());
    EXPECT_EQ(calls, (std::vector<std::string>{"enable", "focus", "query marlin AND twitter", "prefs"}));
    EXPECT_GE(toolkit.sleptMilliseconds, 1000);
    EXPECT_GT(eventsDuringPause, 10);

    const auto& c = service.Config();
    EXPECT_EQ(
        ReadFileBytes(CredFile()),
        Base64EncodeSingleLine(c.appName + "\r\n" + c.consumerKey + "\r\n" + c.consumerSecret) + "\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(CredFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);
}

TEST_F(FrmAboutTest, FailedOkKeepsTheDialogOpenAndTheFileUntouched) {
    WriteFileBytes(CredFile(), "Marlin Demo\r\nwrong\r\nwrong\r\n");
    dialog.Form_Load();
    dialog.Show();
    dialog.cmdOK.Click();

    EXPECT_TRUE(twitter.BearerToken().empty());
    EXPECT_EQ(dialog.Status.Caption(), "Authentication failed. Check credentials and try again.");
    EXPECT_EQ(dialog.Status.ForeColor(), frmAbout::kRed);
    for (const auto& field : dialog.tbCred) EXPECT_TRUE(field.Enabled());
    EXPECT_TRUE(dialog.Window.Visible());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ReadFileBytes(CredFile()), "Marlin Demo\r\nwrong\r\nwrong\r\n");

    // Corrected, the second try gets through.
    TypeDemoCredentials();
    dialog.cmdOK.Click();
    EXPECT_FALSE(twitter.BearerToken().empty());
    EXPECT_EQ(dialog.Status.ForeColor(), frmAbout::kBlue);
}

TEST_F(FrmAboutTest, ClosingEndsTheProgramOnlyBeforeAuthentication) {
    dialog.Form_Load();
    EXPECT_TRUE(dialog.Form_QueryUnload());
    EXPECT_EQ(calls, (std::vector<std::string>{"end"}));

    calls.clear();
    TypeDemoCredentials();
    dialog.cmdOK.Click();
    calls.clear();
    dialog.Show();
    EXPECT_FALSE(dialog.Form_QueryUnload());
    EXPECT_TRUE(dialog.Window.Visible());
    EXPECT_TRUE(calls.empty());

    // As the about box, OK only hides it again: no second exchange, no reload.
    dialog.cmdOK.Click();
    EXPECT_FALSE(dialog.Window.Visible());
    EXPECT_EQ(calls, (std::vector<std::string>{"enable", "focus"}));
    EXPECT_EQ(TokenRequests(), 1);
}

TEST_F(FrmAboutTest, OkPressedAgainDuringThePauseRunsNoSecondExchange) {
    dialog.Form_Load();
    TypeDemoCredentials();
    toolkit.onDoEvents = [&] { dialog.cmdOK.Click(); };
    dialog.cmdOK.Click();
    EXPECT_EQ(TokenRequests(), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "prefs"), 1);
}

TEST_F(FrmAboutTest, SystemInfoSaysItIsUnavailable) {
    dialog.cmdSysInfo.Click();
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(toolkit.messages[0].title, "Marlin Skimmer Desktop Edition");
    EXPECT_EQ(toolkit.messages[0].buttons, MsgButtons::OK);
}

}  // namespace
}  // namespace marlin
