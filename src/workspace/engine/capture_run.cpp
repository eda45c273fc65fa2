#include "workspace/engine/capture_run.h"

#include "workspace/engine/capture_texts.h"

namespace marlin {

CaptureRun::CaptureRun(Parts parts)
    : m_parts(std::move(parts)),
      m_waits(m_parts.run, m_parts.events,
              {m_parts.request.limits.waitForQuota, m_parts.request.limits.retryDelays,
               m_parts.request.limits.windowMilliseconds}) {}

RequestOutcome CaptureRun::Page(ResourceFamily family, const std::function<RequestOutcome()>& ask) {
    RequestOutcome answer = ask();
    if (answer.Answered()) {
        m_parts.archive.Keep(family, answer, m_parts.request.archive, m_parts.events);
        m_parts.events.RawResponse(answer.body);
    } else {
        m_parts.events.RawResponse(answer.Failed() ? CaptureTexts::kNoAnswer : "");
    }
    Remember(answer);
    return answer;
}

void CaptureRun::Remember(const RequestOutcome& answer) {
    // Without the body: a page is held once, by its caller.
    m_last.status = answer.status;
    m_last.httpStatus = answer.httpStatus;
    m_last.reason = answer.reason;
    m_last.serviceError = answer.serviceError;
    m_last.retryAt = answer.retryAt;
    m_last.responseCode = answer.responseCode;
    m_last.url = answer.url;
    m_last.records = answer.records;
}

void CaptureRun::AskQuota(const SKDFuncs::DateValue& nextReset, int remaining,
                          const std::string& windowName) {
    const std::string text = "Quota for this window running low. Wait until " +
                             SKDFuncs::FormatLocalDateTime(nextReset) + " before clicking OK to resume";
    if (!m_parts.events.Ask({CaptureEvents::Question::Kind::QuotaLow, text, {}})) {
        m_parts.run.Stop();
        return;
    }
    if (remaining <= 0 && !m_waits.UntilReset(nextReset, windowName)) m_parts.run.Stop();
}

void CaptureRun::QuotaLow(ResourceFamily family, const std::string& windowName) {
    const TwitterAPI& client = m_parts.client;
    if (!m_parts.request.limits.waitForQuota) {
        AskQuota(client.NextLimitReset(family), client.Window(family).remaining, windowName);
        return;
    }
    if (!m_waits.UntilReset(client.NextLimitReset(family), windowName)) m_parts.run.Stop();
}

bool CaptureRun::ResendAfterSpentWindow(const RequestOutcome& answer, const std::string& windowName) {
    return m_waits.WaitedOutSpentWindow(answer, windowName);
}

void CaptureRun::ReportIncomplete(const std::string& why, const std::string& oldestHeld) {
    const std::string reach = oldestHeld.empty() ? "no tweets held" : "oldest tweet held from " + oldestHeld;
    m_parts.events.Log("Retrieval stopped early (" + why + "), " + reach);
    m_parts.events.Tell("The retrieval stopped early (" + why +
                            "). The table does not reach back to the threshold date (" + ThresholdDateText() +
                            ").",
                        CaptureEvents::Notice::Warning);
}

}  // namespace marlin
