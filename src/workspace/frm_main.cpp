#include "workspace/frm_main.h"

namespace marlin {

frmMain::frmMain(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
                 std::filesystem::path appFolder)
    : m_state(std::make_unique<MainWindowState>(toolkit, std::move(requestFactory), std::move(apiBase),
                                                std::move(appFolder))),
      m_tweets(*m_state, m_tweetCtl, m_userCtl),
      m_session(*m_state, m_tweetCtl, m_userCtl, m_tweets.Files()),
      m_users(*m_state, m_tweetCtl, m_userCtl, m_tweets),
      m_export(*m_state, m_tweetCtl, m_userCtl),
      m_estimate(*m_state, m_tweetCtl, m_userCtl),
      m_spending(*m_state),
      m_bluesky(*m_state, m_tweetCtl),
      m_posts(*m_state, m_tweetCtl, m_userCtl, m_tweets),
      m_postCalls(*m_state, m_tweetCtl, m_userCtl, m_tweets, m_users.List()) {
    WireParts();
}

void frmMain::WireParts() {
    // Opening a timeline history entry rebuilds the user list from the tweets.
    m_session.SetGetUsersFromTweetsAction([this] { m_users.List().mGetUFT_Click(); });
    m_users.SetStatusTimerSwitch([this](bool on) { m_session.Timer1.SetEnabled(on); });
    m_tweetCtl.mContinueBack.SetAction([this] { mContinueBack_Click(); });
    m_tweetCtl.QuitGet.SetClickAction([this] { QuitGet_Click(); });
    m_estimate.SetSearchAction([this] { m_tweets.Search().GetSrch_Click(); });
    m_tweets.Search().SetUseV2Action([this] { m_session.Service.SetApiV2(true); });
    m_spending.SetChangedAction([this] { m_session.SavePrefs(); });
}

void frmMain::QuitGet_Click() {
    if (m_export.StopExport()) return;  // the export said it stopped
    if (m_state->Run.Cancel())
        m_state->Events().Tell("User cancelled the retrieval process", CaptureEvents::Notice::Information);
}

void frmMain::mContinueBack_Click() {
    if (m_state->CurTweetSrc() == TweetSource::Timelines)
        m_users.Timelines().ContinueBack();
    else
        m_tweets.Search().ContinueBack();
}

}  // namespace marlin
