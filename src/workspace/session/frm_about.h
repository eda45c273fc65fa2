#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/button.h"
#include "platform/control_model.h"
#include "platform/label.h"
#include "platform/text_box.h"
#include "platform/toolkit.h"
#include "service/twitter_api.h"

namespace marlin {

// The credentials dialog, which doubles as the about box. It is the gate of the
// program: the main window stays disabled until OK has obtained a bearer token, and
// closing the dialog before that ends the program. Toolkit-free: the Qt dialog only
// lays these controls out and forwards its events here.
class frmAbout {
  public:
    static constexpr const char* kDescription =
        "Before you start you need to create an application in Twitter and complete the fields displayed "
        "below:";
    static constexpr const char* kSuccessStatus = "Authentication successful. Skimmer is now operational!";
    static constexpr std::uint32_t kBlue = Label::Rgb(0, 0, 255);
    static constexpr std::uint32_t kRed = Label::Rgb(255, 0, 0);

    // What the dialog needs of the main window. Any of them may be left empty.
    struct MainWindowLink {
        std::function<void(bool enabled)> setEnabled;
        std::function<void()> setFocus;
        std::function<void(const std::string& query)> setSearchQuery;
        std::function<void()> loadPrefs;
        // Ends the whole program at once (the dialog was closed without a token).
        std::function<void()> endProgram;
    };

    frmAbout(Toolkit& toolkit, TwitterAPI& twitter, std::filesystem::path appFolder,
             MainWindowLink link = {});
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    void SetMainWindowLink(MainWindowLink link) { m_link = std::move(link); }

    // --- Controls ---
    // Application name, consumer key, consumer secret (masked with "*").
    std::array<TextBox, 3> tbCred;
    std::array<Label, 3> lblCred;
    Button ShowSecret{"Show"};
    Button cmdOK{"OK"};
    Button cmdSysInfo{"&System Info..."};
    Label Status;
    Label lblTitle;
    Label lblVersion;
    Label lblFolder;  // the program folder in use
    Label lblDescription{kDescription};
    // The dialog window itself: Visible is whether it is shown.
    ControlModel Window;

    const std::string& Caption() const { return m_caption; }

    // --- Events ---
    // Fills the labels and the fields from "appcred" and sets the status line.
    void Form_Load();
    // Shows the dialog, e.g. for the About command (the caller disables the main window).
    void Show();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    // The dialog is asked to close: false refuses (a token exists; OK hides the dialog),
    // true lets it close and ends the program.
    bool Form_QueryUnload();

    // The pause after a successful authentication, in case a caller needs to shorten it.

  private:
    void UpdateOkButton();
    void PauseKeepingWindowAlive(std::chrono::steady_clock::time_point since);
    void ReturnToMainWindow();
    void SaveCredentials();

    Toolkit& m_toolkit;
    TwitterAPI& m_twitter;
    std::filesystem::path m_appFolder;
    MainWindowLink m_link;
    std::string m_caption;
    std::chrono::milliseconds m_successPause{1000};
    bool m_busy = false;
};

}  // namespace marlin
