#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "core/page_check.h"

namespace marlin {

// How one request to the service ended, as a value the caller decides on: whether it was
// answered, refused or lost on the way, the status and reason phrase of the answer, what
// the service's error text said, and when a spent window renews.
struct RequestOutcome {
    enum class Status {
        Answered,   // a readable 200 answer, taken into the caller's records
        NotSent,    // nothing to ask for (no token, no name): nothing went out
        Refused,    // the service answered with an error status
        Failed,     // the exchange failed on the way and was not sent again
        Cancelled,  // dropped on the caller's word while it waited
        Withheld,   // not sent on the host's word (a spending limit, a ledger that cannot be written)
    };

    Status status = Status::NotSent;
    int httpStatus = 0;        // the status of the answer; 0 when none came
    std::string reason;        // its reason phrase, or what went wrong on the way
    std::string serviceError;  // what the service's error body says, when it says anything
    // For a refusal of a spent window (429): when the family's window renews, seconds since
    // 1970 UTC; nothing when the answer did not tell.
    std::optional<std::time_t> retryAt;
    // The response code as the request log and the messages show it: "200:OK",
    // "429:Too Many Requests", "403:Forbidden: …", "Couldn't access the API server",
    // "Unreadable page (…)". A request that produced no code of its own keeps the client's
    // last one, as the log has always shown it.
    std::string responseCode;
    // The answer's body as it came (answered requests only), and where its records lie.
    std::string body;
    PageRecords pageRecords;
    std::string url;
    // The records the page held (tweets of a tweet page, users of a user page).
    int records = 0;

    bool Answered() const { return status == Status::Answered; }
    // Refused, failed, cancelled or withheld: the request asked for something and got nothing.
    bool Failed() const {
        return status == Status::Refused || status == Status::Failed || status == Status::Cancelled ||
               status == Status::Withheld;
    }
    // The records of the page, or -1 when the request failed.
    int Count() const { return Failed() ? -1 : records; }
    // A v1.1 request the application's access does not cover (403, code 453): every further
    // v1.1 request would be refused the same way.
    bool V11AccessRefused() const;
    // A refusal that names a spent window (429).
    bool WindowSpent() const { return status == Status::Refused && httpStatus == 429; }

    // What the service says when the application's access lacks a v1.1 request.
    static constexpr const char* kV11NotInAccess =
        "the application's access does not include this v1.1 request; choose Settings \u203A \"Service\" "
        "\u203A \"X (v2)\"";
};

}  // namespace marlin
