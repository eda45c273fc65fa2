#include "workspace/session/bluesky_log_in.h"

namespace marlin {

BlueskyLogIn::BlueskyLogIn(MainWindowState& window, TweetControls& tweetCtl) : m_window(window) {
    tweetCtl.mBlueskyLogIn.SetCaption("Bluesky Log-in…");
    tweetCtl.mBlueskyLogIn.SetAction([this] { mBlueskyLogIn_Click(); });
    for (CaptureEngine* engine : {&m_window.Engine, &m_window.TableEngine}) {
        BskyClient& client = engine->Bluesky();
        engine->SetBlueskyRenewal([this, &client] { return Open(client); });
    }
}

void BlueskyLogIn::Share(BskyClient& from, BskyClient& to) {
    const BskySession& session = from.Session();
    if (session.Valid() && session.accessJwt != to.Session().accessJwt) {
        to.SetBase(from.Base());
        to.SetSession(session);
    }
}

BskyOutcome BlueskyLogIn::Open(BskyClient& client) {
    BskyClient& engine = m_window.Engine.Bluesky();
    BskyClient& table = m_window.TableEngine.Bluesky();
    const std::string before = client.Session().accessJwt;
    if (!m_engineLogin) {
        // The first capture of the run: the stored session, when it is this server's.
        const BskySessionFile file = BskySessionFile::InFolder(m_window.AppFolder);
        m_engineLogin = std::make_unique<BskyLogin>(engine, file, m_credentials);
        m_tableLogin = std::make_unique<BskyLogin>(table, file, m_credentials);
        m_engineLogin->Open();
        Share(engine, table);
    } else {
        // A session the other engine renewed since serves this one too.
        Share(&client == &engine ? table : engine, client);
    }
    if (client.Session().Valid() && client.Session().accessJwt != before) return {};
    if (AskCredentials()) return LogIn();
    BskyOutcome cancelled;
    cancelled.failure = BskyFailure::AuthRequired;
    cancelled.message = "no Bluesky session: Settings \u203A \"Bluesky Log-in…\"";
    return cancelled;
}

bool BlueskyLogIn::AskCredentials() {
    std::vector<FormField> form{
        {kHandleLabel, m_credentials.handle}, {kPasswordLabel, "", true}, {kServerLabel, m_server}};
    if (!m_window.Tk.AskForm(kTitle, kNote, form)) return false;
    m_credentials = {form[0].answer, form[1].answer};
    m_server = form[2].answer;
    return true;
}

BskyOutcome BlueskyLogIn::LogIn() {
    BskyClient& engine = m_window.Engine.Bluesky();
    engine.SetBase(BskyClient::BaseAddress(m_server));
    const BskySessionFile file = BskySessionFile::InFolder(m_window.AppFolder);
    m_engineLogin = std::make_unique<BskyLogin>(engine, file, m_credentials);
    m_tableLogin = std::make_unique<BskyLogin>(m_window.TableEngine.Bluesky(), file, m_credentials);
    // The app password stays in memory for a session the service stops refreshing; it is never stored.
    const BskyOutcome outcome = m_engineLogin->Renew();
    Share(engine, m_window.TableEngine.Bluesky());
    return outcome;
}

void BlueskyLogIn::mBlueskyLogIn_Click() {
    if (!AskCredentials()) return;
    const BskyOutcome outcome = LogIn();
    if (outcome.Ok())
        m_window.Tk.MessageBox(kDone + m_window.Engine.Bluesky().Session().handle, kTitle, MsgButtons::OK,
                               MsgIcon::Information);
    else
        m_window.Tk.MessageBox(outcome.Describe(), kTitle, MsgButtons::OK, MsgIcon::Exclamation);
}

}  // namespace marlin
