#pragma once

#include <string>

#include "spending/money.h"
#include "workspace/engine/run_state.h"

namespace marlin {

// What a capture tells whoever watches it, and what it asks them: the window shows it in
// its request log, status bar, progress bar and message boxes, and answers the questions
// with its dialogs; the command line writes it to the error stream and answers for itself.
// A capture never learns which of them it has. Every question of a capture comes here,
// and only here.
class CaptureEvents {
  public:
    enum class Notice { Information, Warning };

    // A question the run cannot go on without.
    struct Question {
        enum class Kind {
            QuotaLow,      // OK/Cancel: wait for the next quota window before going on?
            Retry,         // Yes/No: send a request that failed on the way again?
            ReplaceTable,  // Yes/No: save the table a command is about to replace first?
            Cost,          // Yes/No: go on with reads that cost this much?
        };
        Kind kind = Kind::QuotaLow;
        std::string text;
        std::string title;  // empty: the application's title
    };

    // The status bar's panels a capture writes: the table's size, the users shown, the
    // requests left in the quota window in use, and the start of the next window.
    enum class Panel { Tweets = 1, Users = 2, Quota = 3, Reset = 4 };

    virtual ~CaptureEvents() = default;

    // ---- The request log
    // A new line.
    virtual void Log(const std::string& line) = 0;
    // The running loop's own line (the newest) rewritten with how far it has come.
    virtual void Progress(const std::string& line) = 0;
    // A line set just above the running loop's line: a wait, a retry.
    virtual void Aside(const std::string& line) = 0;

    // ---- What arrived
    // A page was added and trimmed; `count` of its records were kept.
    virtual void RecordsAdded(int count) = 0;
    // The raw answer of the last request, as the raw response box shows it.
    virtual void RawResponse(const std::string& /*text*/) {}

    // ---- Questions and messages
    // True for OK or Yes.
    virtual bool Ask(const Question& question) = 0;
    // A message that is only acknowledged; an empty title is the application's.
    virtual void Tell(const std::string& text, Notice notice, const std::string& title = {}) = 0;

    // ---- The status bar and the progress bar
    virtual void Status(Panel /*panel*/, const std::string& /*text*/) {}
    // What the panel shows now (a wait puts it back as it was).
    virtual std::string StatusShown(Panel /*panel*/) const { return {}; }
    // A run of pages starts: `unit` names what is counted ("tweets", "users"); a run whose
    // end is not known up front shows the count instead of a share.
    virtual void MeterBegin(const std::string& /*unit*/, bool /*endKnown*/) {}
    // A page arrived: share is the part done (0..1), items what was received so far.
    virtual void MeterAdvance(double /*share*/, long long /*items*/) {}
    virtual void MeterEnd() {}
    // A request waits for its answer (true, again and again) or the wait is over (false).
    virtual void Waiting(bool /*waiting*/) {}
    // A v2 run's answer went into the ledger: what the run has spent so far.
    virtual void Spent(Money /*run*/) {}

    // ---- Between steps
    // Long work lets the watcher's own events run (a window repaints, Cancel is pressed).
    virtual void LetEventsRun() {}
    // A pause of a wait, between its checks.
    virtual void Pause(int milliseconds);

    // ---- The end
    // The capture is over, and how it ended.
    virtual void Ended(CaptureOutcome outcome) = 0;
};

}  // namespace marlin
