#include "workspace/engine/hydrate_capture.h"

#include "core/id_set.h"
#include "service/archive_records.h"
#include "workspace/engine/capture_texts.h"
#include "workspace/engine/page_loop.h"
#include "workspace/engine/tweet_page_loop.h"

namespace marlin {

namespace {

constexpr const char* kWindowName = "posts lookup";

}  // namespace

// The batches of ids, each a page of the one loop.
class HydrateCapture::Batches : public PageLoop::Pager {
  public:
    explicit Batches(HydrateCapture& capture) : m_capture(capture), m_run(capture.m_run) {}

    bool Ready() override { return m_capture.m_queue.Remaining() > 0 && !m_run.State().Cancelled(); }

    void Fetch() override {
        m_batch = m_capture.m_queue.NextBatch();
        TweetSet& tweets = m_run.Tweets();
        m_before = tweets.Count();
        do {
            m_answer = m_run.Page(ResourceFamily::PostsLookup,
                                  [&] { return m_run.Client().GetPostsById(m_batch, tweets, m_notGiven); });
        } while (m_run.ResendAfterSpentWindow(m_answer, kWindowName));
    }

    bool Check(std::string& stopLine) override {
        if (m_answer.Answered()) return true;
        // The batch stays unsettled: a later run asks for it again.
        m_run.Tweets().KeepFirst(m_before);
        m_unanswered = m_batch.size();
        if (!m_run.State().Cancelled()) stopLine = "Hydrate stopped: " + m_answer.responseCode;
        return false;
    }

    void Take() override {
        for (PostAnswers::Missing& id : m_notGiven)
            m_capture.m_missing.Add(id.id, std::move(id.reason), std::move(id.detail));
        const int given = m_run.Tweets().Count() - m_before;
        m_capture.m_progress.Next(static_cast<long long>(m_batch.size()));
        m_capture.m_progress.Page(given);
        m_run.Events().RecordsAdded(given);
        const HydrateQueue& queue = m_capture.m_queue;
        m_run.Events().Progress("Hydrated " + std::to_string(m_run.Tweets().Count()) + " posts, " +
                                std::to_string(m_capture.Missing()) + " missing, of " +
                                std::to_string(queue.Total()) + " ids (" + std::to_string(queue.Remaining()) +
                                " to go)");
        const TwitterAPI& client = m_run.Client();
        m_run.Events().Status(CaptureEvents::Panel::Quota,
                              std::to_string(client.Window(ResourceFamily::PostsLookup).remaining) +
                                  " POSTS LOOKUP requests remaining");
        m_run.Events().LetEventsRun();
        if (queue.Remaining() > 0 &&
            client.Window(ResourceFamily::PostsLookup).remaining < TweetPageLoop::kQuotaLow)
            m_run.QuotaLow(ResourceFamily::PostsLookup, kWindowName);
    }

    bool More() override { return true; }

    // The ids of the batch whose answer did not come (none when every answer came).
    std::size_t Unanswered() const { return m_unanswered; }

  private:
    HydrateCapture& m_capture;
    CaptureRun& m_run;
    std::vector<std::uint64_t> m_batch;
    std::vector<PostAnswers::Missing> m_notGiven;
    RequestOutcome m_answer;
    int m_before = 0;
    std::size_t m_unanswered = 0;
};

HydrateCapture::HydrateCapture(CaptureRun& run)
    : m_run(run),
      m_queue(run.Request().postIds),
      m_missing(run.Request().missingFile),
      m_progress(run.Events()) {}

bool HydrateCapture::Resume() {
    const CaptureRequest& request = m_run.Request();
    if (!request.missingFile.empty()) m_missing.Load();
    std::size_t archived = 0;
    try {
        if (!request.archive.file.empty()) archived = m_queue.SettleArchived(request.archive.file);
    } catch (const HydrateQueue::Error& error) {
        m_run.Events().Log(std::string("Hydrate not started: ") + error.what());
        return false;
    }
    m_settledBefore = static_cast<long long>(archived + m_queue.SettleListed(m_missing));
    if (m_settledBefore == 0) return true;
    // The posts the earlier run archived belong in this run's table as much as the new ones.
    if (archived > 0) {
        const ArchiveRecords::Result read = ArchiveRecords::Load(request.archive.file, m_run.Tweets());
        if (!read.problem.empty()) {
            m_run.Events().Log("Hydrate not started: " + read.problem);
            return false;
        }
        // An archive may hold posts of other ids (a file of ids changed since): the table is these ids'.
        IdSet asked;
        for (const std::uint64_t id : request.postIds) asked.Insert(std::to_string(id));
        m_run.Tweets().DropAfter(0,
                                 [&](const TweetSet::Record& post) { return !asked.Contains(post.TweetID); });
    }
    m_run.Events().Log("Resumed: " + std::to_string(m_settledBefore) + " of " +
                       std::to_string(m_queue.Total()) + " ids settled by an earlier run (" +
                       std::to_string(archived) + " posts in " + request.archive.file.filename().string() +
                       ") are not asked for again");
    return true;
}

void HydrateCapture::SaveMissing() {
    if (m_run.Request().missingFile.empty()) return;
    if (!m_missing.Write())
        m_run.Events().Log("Cannot write the list of missing posts " + m_missing.File().string());
}

bool HydrateCapture::Run() {
    CaptureEvents& events = m_run.Events();
    m_run.Tweets().Clear();
    events.Log("Hydrate initiated @" + CaptureTexts::NowText() + " for " + std::to_string(m_queue.Total()) +
               " ids");
    if (!Resume()) {
        m_run.State().Record(CaptureOutcome::Failed);
        return false;
    }
    m_progress.Begin("posts", static_cast<long long>(m_queue.Remaining()));
    events.LetEventsRun();
    Batches batches(*this);
    PageLoop(events).Run(batches);
    m_progress.End();
    // However the run ended, the missing list it has goes to its file: the next run skips it.
    SaveMissing();
    const std::size_t unsettled = m_queue.Remaining() + batches.Unanswered();
    const bool settled = unsettled == 0;
    if (!settled) m_run.State().Record(CaptureOutcome::StoppedEarly);
    const RequestOutcome& last = m_run.Last();
    std::string end = "Hydrate ended @" + CaptureTexts::NowText() + ", " +
                      std::to_string(m_run.Tweets().Count()) + " posts, " + std::to_string(Missing()) +
                      " ids missing";
    if (!settled) {
        const std::string& stop = m_run.State().StopReason();
        end += !stop.empty()               ? ": " + stop
               : m_run.State().Cancelled() ? ": cancelled by the user"
                                           : ": " + last.responseCode;
        end +=
            " (" + std::to_string(unsettled) + " ids not settled; the same hydrate again goes on from here)";
    }
    events.Log(end);
    return settled;
}

}  // namespace marlin
