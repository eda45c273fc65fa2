#pragma once

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "workspace/engine/page_bound.h"
#include "workspace/engine/tweet_page_loop.h"
#include "workspace/main_window_state.h"

namespace marlin {

// The steps the page loops of the search and of the timelines share: the quota dialog, the
// line that ends a retrieval and the clock texts they write; and the window's side of the
// page loop.
class RetrievalSteps : public TweetPageLoop::Host {
  public:
    explicit RetrievalSteps(MainWindowState& window) : m_window(window) {}

    // The quota dialog; Cancel sets `Cancelled`. OK with the window spent (no requests
    // `remaining`) waits for it to renew, since the next request would only be refused;
    // Cancel during that wait sets `Cancelled` too.
    void AskQuota(const SKDFuncs::DateValue& nextReset, int remaining, const std::string& windowName);
    // A loop that an error answer ended (not the user, not the threshold) holds less than
    // asked for: one more log line says so, why, and how far back the table goes, and a
    // warning box says the table does not reach the threshold date. oldestHeld is the
    // service date-time of the oldest tweet this retrieval holds, empty for none.
    void ReportIncomplete(const std::string& why, const std::string& oldestHeld);
    // A low quota: the quota dialog, or with automatic waits on the wait for the
    // family's next window (Cancel there sets `Cancelled` too).
    void QuotaLow(const TwitterAPI& client, ResourceFamily family, const std::string& windowName) override;
    // After a request: true when it was refused for a spent window and the wait for the
    // next one is over, so the same page is asked for again.
    bool ResendAfterSpentWindow(const TwitterAPI& client, ResourceFamily family,
                                const std::string& windowName) override;
    // The raw response box shows the request; the log and the window keep up.
    void ShowRequest(const std::string& url) override { m_window.LastGET.SetText(url); }
    void LetEventsRun() override { m_window.Tk.DoEvents(); }
    void PageDone() override;
    std::string ThresholdDateText() const override { return m_window.ThresholdDateText(); }
    // True when the text can be a screen name or a numeric user id: letters, digits and
    // "_" only (a "#tag", a name with a blank or a pasted "a&user_id=1" cannot).
    static bool CanBeScreenNameOrId(const std::string& text);
    // The one log line naming the entries a request left out.
    static std::string SkippedLine(const std::vector<std::string>& skipped);
    // The id below a tweet id ("" stays ""), for paging on from the oldest tweet held.
    static std::string IdBelow(std::string id) { return PageBound::IdBelow(std::move(id)); }
    // The share of the span from the newest tweet back to the threshold date that the
    // oldest tweet has covered (0 when a date cannot be read).
    static double SpanShare(const std::string& newest, const std::string& oldest,
                            const std::string& threshold);
    // The line that ends a retrieval: prefix ("Search ended @" + now + ", " and the like)
    // followed by why it ended.
    std::string EndLine(const std::string& prefix, bool reached) const;
    // The local date and time now, as the log writes it.
    static std::string NowText();
    // The line that counts the statuses a trim kept because their date could not be read.
    static std::string UndatedLine(int count);

  private:
    MainWindowState& m_window;
};

}  // namespace marlin
