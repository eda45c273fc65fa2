#include "workspace/engine/sample_capture.h"

#include "workspace/engine/page_loop.h"
#include "workspace/engine/page_progress.h"
#include "workspace/engine/tweet_page_loop.h"

namespace marlin {

namespace {

// The pages of one account's timeline sample.
class SamplePager : public PageLoop::Pager {
  public:
    SamplePager(CaptureRun& run, const std::string& screenName, CountedProgress& sampled)
        : m_run(run), m_screenName(screenName), m_sampled(sampled) {}

    void Fetch() override {
        TweetSet& tweets = m_run.Tweets();
        m_before = tweets.Count();
        m_answer = m_run.Page(ResourceFamily::UserTimeline, [&] {
            return m_run.Client().GetUserTimeLine(m_screenName, true, "", m_maxId, "200", tweets, true);
        });
    }

    bool Check(std::string& stopLine) override {
        if (m_answer.Count() < 1 || m_progress.TweetPageMoved(m_run.Tweets(), m_before)) return true;
        stopLine = m_progress.StopLine();
        return false;
    }

    void Take() override {
        TweetSet& tweets = m_run.Tweets();
        const int count = m_answer.Count();
        if (count > 0) m_sampled.Page(count);
        m_maxId = count < 1 ? std::string() : tweets.OldestTweetId(true);
        try {
            m_trimmed = tweets.TrimToDateRange(m_run.ThresholdDateText(), TweetPageLoop::LatestBound());
        } catch (const SKDFuncs::ConversionError&) {
            m_unreadable = true;  // a tweet without a readable date: keep what the sample holds
        }
    }

    bool More() override {
        const int cap = m_run.Request().limits.maxRecords;
        return !m_unreadable && !m_maxId.empty() && (cap <= 0 || m_run.Tweets().Count() < cap) && !m_trimmed;
    }

  private:
    CaptureRun& m_run;
    const std::string& m_screenName;
    CountedProgress& m_sampled;
    RequestOutcome m_answer;
    std::string m_maxId;
    PageProgress m_progress{"max_id", ""};
    int m_before = 0;
    bool m_trimmed = false;
    bool m_unreadable = false;
};

}  // namespace

void SampleCapture::Run() {
    const std::vector<std::string>& accounts = m_run.Request().accounts;
    m_sampled.Begin("tweets", static_cast<long long>(accounts.size()));
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        m_run.AccountStarted(static_cast<int>(i));
        SampleOne(accounts[i]);
        m_run.AccountDone(static_cast<int>(i));
        m_sampled.Next();
    }
    m_sampled.End();
}

void SampleCapture::SampleOne(const std::string& screenName) {
    m_run.Tweets().Clear();
    SamplePager pages(m_run, screenName, m_sampled);
    PageLoop(m_run.Events()).Run(pages);
    const TwitterAPI& client = m_run.Client();
    m_run.Events().Status(CaptureEvents::Panel::Quota, std::to_string(client.UTLRateLimitRemaining()) +
                                                           " USER_TIMELINE requests remaining");
    m_run.Events().Status(CaptureEvents::Panel::Reset,
                          "Next reset: " + SKDFuncs::FormatLocalDateTime(client.UTLNextLimitReset()));
}

}  // namespace marlin
