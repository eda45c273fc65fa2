#include "workspace/engine/lookup_capture.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "spending/prices.h"
#include "workspace/engine/capture_texts.h"
#include "workspace/engine/page_loop.h"

namespace marlin {

// The batches of a look-up, each a page of the one loop.
class LookupCapture::Batches : public PageLoop::Pager {
  public:
    Batches(LookupCapture& capture, const std::vector<std::string>& list)
        : m_capture(capture), m_run(capture.m_run), m_list(list) {}

    bool Ready() override {
        if (m_next >= Total()) return false;
        if (!m_capture.QuotaLow()) return true;
        const SKDFuncs::DateValue reset = m_run.Client().ULNextLimitReset();
        m_run.Events().Tell(kQuotaWarning + SKDFuncs::FormatLocalDateTime(reset),
                            CaptureEvents::Notice::Warning);
        m_early = !m_run.Waits().UntilNextWindowOn(
            reset, "USER_LOOKUP", [this] { return m_run.LocalNow(); }, kWaitStepMilliseconds);
        return !m_early;
    }

    void Fetch() override {
        m_end = std::min(m_next + kLookupBatch, Total());
        std::string joined;
        for (int i = m_next; i < m_end; ++i) joined += m_list[static_cast<std::size_t>(i)] + ",";
        UserSet& users = m_run.Users();
        m_found = users.Count();
        const bool ids = m_run.Request().accountsAreIds;
        m_run.Page(ResourceFamily::UsersLookup, [&] {
            return m_run.Client().GetUsersLookUp(ids ? joined : "", ids ? "" : joined, users, true);
        });
    }

    bool Check(std::string& /*stopLine*/) override { return true; }

    void Take() override {
        m_capture.m_lookedUp.Next(m_end - m_next);
        m_capture.m_lookedUp.Page(m_run.Users().Count() - m_found);
        // The line before the look-up (how the last retrieval ended) stays; from the
        // second batch on the look-up rewrites its own line.
        const std::string line = "Getting profile details for user list (" + std::to_string(m_end) +
                                 " out of " + std::to_string(Total()) + " retrieved)";
        if (m_next == 0)
            m_run.Events().Log(line);
        else
            m_run.Events().Progress(line);
        m_capture.ShowQuota();
    }

    bool More() override {
        if (m_run.State().Cancelled()) {
            m_early = true;
            return false;
        }
        m_run.Events().LetEventsRun();
        m_next = m_end;
        return true;
    }

    // The look-up ended before its last batch: a Cancel, or a quota wait cut short.
    bool Early() const { return m_early; }

  private:
    int Total() const { return static_cast<int>(m_list.size()); }

    LookupCapture& m_capture;
    CaptureRun& m_run;
    const std::vector<std::string>& m_list;
    int m_next = 0;
    int m_end = 0;
    int m_found = 0;
    bool m_early = false;
};

std::vector<std::string> LookupCapture::NotFound(const std::vector<std::string>& asked) const {
    // The service answers with its own spelling of a name; any case finds it.
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::unordered_set<std::string> found;
    const UserSet& users = m_run.Users();
    for (int i = 1; i <= users.Count(); ++i) {
        found.insert(lower(users.Item(i).ScreenName));
        found.insert(users.Item(i).Id);
    }
    std::vector<std::string> missing;
    for (const std::string& entry : asked)
        if (!found.count(lower(entry))) missing.push_back(entry);
    return missing;
}

bool LookupCapture::CostAccepted(int64_t users) {
    if (m_run.Request().dialect != CaptureDialect::V2 || users <= kFreeOfQuestion) return true;
    const Prices& prices = m_run.Request().prices;
    const std::string text = "Looking up " + std::to_string(users) + " users in v2 costs about " +
                             (prices.userRead * users).Shown() + " (" + prices.userRead.Shown() +
                             " a user read). Look them up?";
    return m_run.Events().Ask({CaptureEvents::Question::Kind::Cost, text, kCostTitle});
}

bool LookupCapture::QuotaLow() const {
    const TwitterAPI& client = m_run.Client();
    const int remaining = client.ULRateLimitRemaining();
    if (remaining > 0) return remaining < kLookupQuotaLow;
    // A spent window answers every further batch with 429, and the batch would be lost.
    // Before the first answer nothing is known of the window, so there is nothing to wait for.
    const bool resetKnown = client.Window(ResourceFamily::UsersLookup).reset != 0;
    return resetKnown && client.ULNextLimitReset() > m_run.LocalNow();
}

void LookupCapture::ShowQuota() {
    // The look-up and timeline panel texts end in CR LF as they always have; the status bar
    // shows them on one line and tests read them as they are.
    const TwitterAPI& client = m_run.Client();
    m_run.Events().Status(CaptureEvents::Panel::Quota, std::to_string(client.ULRateLimitRemaining()) +
                                                           " USER_LOOKUP requests remaining\r\n");
    m_run.Events().Status(CaptureEvents::Panel::Reset,
                          "Next reset: " + SKDFuncs::FormatLocalDateTime(client.ULNextLimitReset()));
}

bool LookupCapture::Run() {
    const CaptureRequest& request = m_run.Request();
    std::vector<std::string> list;
    std::vector<std::string> skipped;
    for (const std::string& entry : request.accounts)
        (CaptureTexts::CanBeScreenNameOrId(entry) ? list : skipped).push_back(entry);
    if (!request.addToRecords) m_run.Users().Clear();
    m_run.State().ClearCancel();
    if (!CostAccepted(static_cast<int64_t>(list.size()))) return false;

    m_lookedUp.Begin("users", static_cast<long long>(list.size()));
    Batches batches(*this, list);
    PageLoop(m_run.Events()).Run(batches);
    m_lookedUp.End();
    // After the loop, which rewrites the log's last line with its progress.
    if (!skipped.empty()) m_run.Events().Log(CaptureTexts::SkippedLine(skipped));
    if (const std::vector<std::string> missing = NotFound(list); !missing.empty() && !batches.Early())
        m_run.Events().Log(CaptureTexts::NotFoundLine(static_cast<int>(list.size() - missing.size()),
                                                      static_cast<int>(list.size()), missing));
    if (!batches.Early()) return true;
    m_run.State().Record(CaptureOutcome::StoppedEarly);
    m_run.Events().Tell(kNotCompleted, CaptureEvents::Notice::Warning);
    m_run.Events().Status(CaptureEvents::Panel::Quota, std::to_string(m_run.Client().ULRateLimitRemaining()) +
                                                           " USER_LOOKUP requests remaining\r\n");
    return false;
}

}  // namespace marlin
