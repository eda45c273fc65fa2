#include "workspace/engine/user_list_capture.h"

#include "workspace/engine/capture_texts.h"
#include "workspace/engine/page_loop.h"
#include "workspace/engine/page_progress.h"

namespace marlin {

namespace {

struct ListTexts {
    const char* getting;    // "Getting followers of "
    const char* remaining;  // " GET FOLLOWERS/LIST requests remaining"
    const char* resource;   // shown while waiting for the next window
    ResourceFamily family;
};

const ListTexts& Texts(CaptureKind kind) {
    static const ListTexts kFollowers{"Getting followers of ", " GET FOLLOWERS/LIST requests remaining",
                                      "GET FOLLOWERS/LIST", ResourceFamily::FollowersList};
    static const ListTexts kFriends{"Getting friends of ", " GET FRIENDS/LIST requests remaining",
                                    "GET FRIENDS/LIST", ResourceFamily::FriendsList};
    static const ListTexts kRepostedBy{"Getting reposters of post ", " GET RETWEETED_BY requests remaining",
                                       "GET RETWEETED_BY", ResourceFamily::RepostedBy};
    static const ListTexts kLikingUsers{"Getting users who liked post ",
                                        " GET LIKING_USERS requests remaining", "GET LIKING_USERS",
                                        ResourceFamily::LikingUsers};
    static const ListTexts kListMembers{"Getting members of list ", " GET LIST MEMBERS requests remaining",
                                        "GET LIST MEMBERS", ResourceFamily::ListMembers};
    switch (kind) {
        case CaptureKind::Friends:
            return kFriends;
        case CaptureKind::RepostedBy:
            return kRepostedBy;
        case CaptureKind::LikingUsers:
            return kLikingUsers;
        case CaptureKind::ListMembers:
            return kListMembers;
        default:
            return kFollowers;
    }
}

// The lists of one post or list, asked for by its number; the others are an account's.
bool OfOnePostOrList(CaptureKind kind) {
    return kind == CaptureKind::RepostedBy || kind == CaptureKind::LikingUsers ||
           kind == CaptureKind::ListMembers;
}

TwitterAPI::PostUsers PostUsersOf(CaptureKind kind) {
    if (kind == CaptureKind::RepostedBy) return TwitterAPI::PostUsers::RepostedBy;
    if (kind == CaptureKind::LikingUsers) return TwitterAPI::PostUsers::LikingUsers;
    return TwitterAPI::PostUsers::ListMembers;
}

// A refusal that asking again cannot change (no such account, a protected one). A spent
// window (429) or a server error may pass, so those pages are asked for again; but in
// unattended mode the client has already retried a failed page itself, and asking on
// would never end while the service stays down.
bool LastingFailure(const std::string& responseCode, bool unattended) {
    const int status = static_cast<int>(SKDFuncs::LeadingNumber(responseCode));
    if (status == 429) return false;
    return unattended || (status >= 400 && status < 500);
}

// The cursor pages of an account's followers or friends.
class ListPager : public PageLoop::Pager {
  public:
    ListPager(CaptureRun& run, CountedProgress& listed)
        : m_run(run),
          m_listed(listed),
          m_kind(run.Request().kind),
          m_texts(Texts(m_kind)),
          m_family(m_texts.family),
          m_account(run.Request().accounts.empty() ? std::string() : run.Request().accounts.front()),
          m_progress("cursor", run.Users().NextCursor()) {}

    bool Ready() override {
        if (m_run.State().Cancelled()) return false;
        // A spent window answers 429 until it renews: wait for it instead of asking again and again.
        const QuotaWindow& window = m_run.Client().Window(m_family);
        if (window.remaining != 0 || window.reset == 0) return true;
        const SKDFuncs::DateValue reset = m_run.Client().NextLimitReset(m_family);
        return reset <= m_run.LocalNow() || m_run.Waits().UntilNextWindowOn(
                                                reset, m_texts.resource, [this] { return m_run.LocalNow(); },
                                                UserListCapture::kWaitStepMilliseconds);
    }

    void Fetch() override {
        TwitterAPI& client = m_run.Client();
        UserSet& users = m_run.Users();
        m_before = users.Count();
        const bool byId = m_run.Request().accountsAreIds;
        const std::string userId = byId ? m_account : "";
        const std::string screenName = byId ? "" : m_account;
        do {
            m_answer = m_run.Page(m_family, [&] {
                if (OfOnePostOrList(m_kind))
                    return client.GetPostUsers(PostUsersOf(m_kind), std::stoull(m_account), users, true);
                return m_kind == CaptureKind::Followers
                           ? client.GetFollowersList(userId, screenName, "200", users, true)
                           : client.GetFriendsList(userId, screenName, "200", users, true);
            });
        } while (m_run.ResendAfterSpentWindow(m_answer, m_texts.resource));
        if (m_answer.Answered()) m_lastBody = m_answer.body;
    }

    bool Check(std::string& stopLine) override {
        UserSet& users = m_run.Users();
        if (m_answer.Answered() && users.NextCursor() == "0") {
            m_reachedEnd = true;
            m_run.State().Stop();
        } else if (m_answer.Answered() && !m_progress.UserPageMoved(users, m_before)) {
            stopLine = m_progress.StopLine();
            return false;
        }
        return true;
    }

    void Take() override {
        CaptureEvents& events = m_run.Events();
        const int count = m_run.Users().Count();
        if (m_answer.Answered()) {
            m_listed.Next(count - m_before);
            m_listed.Page(count - m_before);
        }
        const QuotaWindow& window = m_run.Client().Window(m_family);
        events.Progress(m_texts.getting + Label() + " (" + std::to_string(count) + " retrieved)");
        events.Status(CaptureEvents::Panel::Users, std::to_string(count) + " users displayed");
        events.Status(CaptureEvents::Panel::Quota, std::to_string(window.remaining) + m_texts.remaining);
        events.Status(
            CaptureEvents::Panel::Reset,
            "Next Reset: " + SKDFuncs::FormatLocalDateTime(m_run.Client().NextLimitReset(m_family)));
        events.LetEventsRun();
    }

    bool More() override {
        const bool unattended = m_run.Request().limits.waitForQuota;
        // Unattended, a 429 still there after the fetch is one the waits gave up on.
        if (unattended && m_answer.WindowSpent()) return false;
        return !(m_answer.Failed() && LastingFailure(m_answer.responseCode, unattended));
    }

    bool ReachedEnd() const { return m_reachedEnd; }
    const std::string& LastBody() const { return m_lastBody; }
    std::string Label() const { return m_account; }

  private:
    CaptureRun& m_run;
    CountedProgress& m_listed;
    CaptureKind m_kind;
    const ListTexts& m_texts;
    ResourceFamily m_family;
    std::string m_account;
    PageProgress m_progress;
    RequestOutcome m_answer;
    std::string m_lastBody;  // the last page that came, for the raw response box
    int m_before = 0;
    bool m_reachedEnd = false;
};

}  // namespace

bool UserListCapture::Run() {
    const CaptureRequest& request = m_run.Request();
    const std::string account = request.accounts.empty() ? std::string() : request.accounts.front();
    m_run.Users().Clear();
    // "#tag" or "John Smith" names nobody, and a post or a list is a number; the service
    // would only be asked in vain.
    const bool named = OfOnePostOrList(request.kind) ? CaptureTexts::IsPostId(account)
                                                     : CaptureTexts::CanBeScreenNameOrId(account);
    if (!named) {
        m_run.Events().Log(CaptureTexts::SkippedLine({account}));
        return false;
    }
    m_run.Events().Log(Texts(request.kind).getting + account + " (0 retrieved)");
    m_run.State().ClearCancel();

    m_listed.Begin("users", request.expectedRecords);
    ListPager pages(m_run, m_listed);
    try {
        PageLoop(m_run.Events()).Run(pages);
    } catch (...) {
        m_run.Events().RawResponse(pages.LastBody());
        throw;
    }
    m_run.Events().RawResponse(pages.LastBody());
    m_run.State().Record(pages.ReachedEnd() ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    return pages.ReachedEnd();
}

}  // namespace marlin
