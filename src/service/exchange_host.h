#pragma once

#include <optional>
#include <string>

namespace marlin {

// What a service client asks of the program that runs it while an exchange is under way:
// to let the program's own events run while it waits, whether the user asked to stop, a
// line for the request log, and the answers to the questions an exchange raises. The
// client opens no window and knows no toolkit: the capture engine answers for the window
// (with its dialogs) and for the command line (with its unattended answers).
class ExchangeHost {
  public:
    // The answer before the retry question of a failed exchange: Retry sends it again (the
    // host has paused already), Ask puts the question, GiveUp fails at once.
    enum class AutoRetry { Retry, Ask, GiveUp };

    virtual ~ExchangeHost() = default;

    // Called again and again while a request waits for its answer and while a long answer
    // is read, so that a window keeps answering.
    virtual void LetEventsRun() {}
    // True drops the request in flight: it ends Cancelled, with no question.
    virtual bool CancelRequested() { return false; }
    // A request waits for its answer (true, again and again), or the wait is over (false),
    // however it ended.
    virtual void Waiting(bool /*waiting*/) {}
    // One line for the request log: the method and the exchange's own error before its
    // retry question, a partial answer of the v2 dialect.
    virtual void ErrorLine(const std::string& /*line*/) {}
    // Asked before the retry question of a failed exchange and after a 5xx answer, with the
    // number of automatic retries the request has had so far.
    virtual AutoRetry RetryOnItsOwn(int /*attempt*/) { return AutoRetry::Ask; }
    // The Yes/No question titled "Recoverable error within " and the method; true sends the
    // request again.
    virtual bool AskToRetry(const std::string& question, const std::string& title) = 0;
    // A note that is only acknowledged, with its title ("Testing connection via proxy").
    virtual void Note(const std::string& /*text*/, const std::string& /*title*/) {}

    // ---- What requests cost: the program keeps its spending here, whatever asked.
    // Before each request goes out (not before each retry of it: a failed request costs
    // nothing): nothing when it may go, else why it may not; it is then not sent and ends
    // Withheld with that reason as its response code.
    virtual std::optional<std::string> MaySend(const std::string& /*url*/) { return std::nullopt; }
    // A request was answered: a page that came whole (200; each one, a page asked for again
    // included, whether or not its records could be taken), or a refusal with its status and
    // body.
    virtual void Answered(const std::string& /*url*/, int /*status*/, const std::string& /*body*/) {}
};

}  // namespace marlin
