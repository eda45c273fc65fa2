#pragma once

#include <string>
#include <vector>

namespace marlin {

// The texts the captures write into the request log, and the checks behind them, in one
// place for every kind.
class CaptureTexts {
  public:
    // What the raw response box shows for a request that got no page.
    static constexpr const char* kNoAnswer = "Failed";

    // True when the text can be a screen name or a numeric user id: letters, digits and
    // "_" only (a "#tag", a name with a blank or a pasted "a&user_id=1" cannot).
    static bool CanBeScreenNameOrId(const std::string& text);
    // True when the text can name an account of the second service: a handle (letters,
    // digits, "-" and at least one ".") or a DID ("did:" and the rest of it, no blank).
    static bool CanBeHandleOrDid(const std::string& text);
    // True when the text is the number of a post or a list: digits alone, no more than an
    // id of 64 bits holds, and not 0.
    static bool IsPostId(const std::string& text);
    // The one log line naming the entries a request left out.
    static std::string SkippedLine(const std::vector<std::string>& skipped);
    // The line of a look-up that did not find every account it asked for.
    static std::string NotFoundLine(int found, int asked, const std::vector<std::string>& missing);
    // The share of the span from the newest tweet back to the threshold date that the
    // oldest tweet has covered (0 when a date cannot be read).
    static double SpanShare(const std::string& newest, const std::string& oldest,
                            const std::string& threshold);
    // The local date and time now, as the log writes it.
    static std::string NowText();
    // The line that counts the statuses a trim kept because their date could not be read.
    static std::string UndatedLine(int count);
    // The line that ends a retrieval: prefix ("Search ended @" + now + ", " and the like)
    // followed by why it ended: the threshold date reached, the user's Cancel, or the
    // service's last answer (its response code). A run the engine stopped (stopReason)
    // ends with its reason instead of the Cancel.
    static std::string EndLine(const std::string& prefix, bool reached, bool cancelled,
                               const std::string& thresholdDate, const std::string& responseCode,
                               const std::string& stopReason = {});
};

}  // namespace marlin
