#include "workspace/engine/conversation_capture.h"

#include <algorithm>

#include "service/post_requests.h"
#include "workspace/engine/capture_texts.h"
#include "workspace/engine/tweet_page_loop.h"

namespace marlin {

bool ConversationCapture::Run() {
    const CaptureRequest& request = m_run.Request();
    CaptureEvents& events = m_run.Events();
    m_run.Tweets().Clear();
    // Replies are asked for back to the threshold, never before it (and paid for).
    m_run.Client().SetSearchStartTime(request.ThresholdTime());
    events.Log("Conversations initiated @" + CaptureTexts::NowText() + " for " +
               std::to_string(request.postIds.size()) + " posts");
    m_progress.Begin("tweets", static_cast<long long>(request.postIds.size()));
    bool whole = true;
    for (const std::uint64_t root : request.postIds) {
        whole = Replies(root) && whole;
        m_progress.Next();
        if (m_run.State().Cancelled()) break;
    }
    if (!m_run.State().Cancelled()) Roots();
    m_progress.End();
    events.Log("Conversations ended @" + CaptureTexts::NowText() + ", " +
               std::to_string(m_run.Tweets().Count()) + " posts" +
               (m_run.State().Cancelled() ? ", cancelled by the user" : ""));
    return whole && !m_run.State().Cancelled();
}

bool ConversationCapture::Replies(std::uint64_t root) {
    TwitterAPI& client = m_run.Client();
    TweetSet& tweets = m_run.Tweets();
    CaptureEvents& events = m_run.Events();
    const std::string query = PostRequests::ConversationQuery(root);
    const int before = tweets.Count();
    TweetPageLoop::Source source;
    source.family = ResourceFamily::Search;
    source.windowName = "search";
    source.fetch = [&](const std::string& maxId) {
        std::string count = "100";
        // A reply is part of the conversation in whatever language it is written.
        return client.GetSearch(query, "", "", maxId, count, tweets, true, "Recent");
    };
    source.remaining = [&] { return client.SearchRateLimitRemaining(); };
    source.taken = [&](int count) {
        m_progress.Page(count);
        events.Status(CaptureEvents::Panel::Quota,
                      std::to_string(client.SearchRateLimitRemaining()) + " SEARCH requests remaining");
        events.Progress("Retrieved " + std::to_string(tweets.Count() - before) + " replies for [" + query +
                        "]");
    };
    const bool reached = TweetPageLoop(m_run).Run(source, "");
    const RequestOutcome& last = m_run.Last();
    const bool whole = reached || last.Count() == 0;
    events.Log("Conversation " + std::to_string(root) + ": " + std::to_string(tweets.Count() - before) +
               " replies" +
               (whole || m_run.State().Cancelled() ? "" : ", stopped early (" + last.responseCode + ")"));
    return whole;
}

void ConversationCapture::Roots() {
    const std::vector<std::uint64_t>& roots = m_run.Request().postIds;
    std::vector<PostAnswers::Missing> missing;
    for (std::size_t from = 0; from < roots.size() && !m_run.State().Cancelled();
         from += PostRequests::kMostIds) {
        const std::vector<std::uint64_t> batch(
            roots.begin() + static_cast<std::ptrdiff_t>(from),
            roots.begin() +
                static_cast<std::ptrdiff_t>(std::min(roots.size(), from + PostRequests::kMostIds)));
        RequestOutcome answer;
        do {
            answer = m_run.Page(ResourceFamily::PostsLookup,
                                [&] { return m_run.Client().GetPostsById(batch, m_run.Tweets(), missing); });
        } while (m_run.ResendAfterSpentWindow(answer, "posts lookup"));
        if (!answer.Answered()) {
            m_run.State().Record(CaptureOutcome::StoppedEarly);
            m_run.Events().Log("The posts that started the conversations did not come: " +
                               answer.responseCode);
            return;
        }
        for (const PostAnswers::Missing& gone : missing)
            m_run.Events().Log("Post " + std::to_string(gone.id) +
                               " that started a conversation is not given: " + gone.reason +
                               (gone.detail.empty() ? "" : " (" + gone.detail + ")"));
    }
}

}  // namespace marlin
