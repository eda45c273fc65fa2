#pragma once

#include <optional>
#include <string>
#include <vector>

#include "spending/money.h"

namespace marlin {

// One capture asked for on the command line after "--headless": what to run and with
// which files, checked before anything is sent.
struct HeadlessCommand {
    enum class Kind {
        Search,
        Update,
        Continue,
        Timelines,
        Lookup,
        Followers,
        Friends,
        ExportNetwork,
        ExportCsv,
        ExportXlsx,
        Frequencies,
        Count,
        Spending,          // the ledger as CSV, per month or per day of --month
        TableFromArchive,  // a Tweets table made again from a raw archive file
        Hydrate,           // the posts of the ids a file holds
        Dehydrate,         // the ids of a table or archive, newest first (no service)
        Conversation,      // every reply in the conversations of the posts named
        Searches,          // one search a line of a file, each to its own table and archive
        Quotes,            // the posts that quote a post, a Tweets table
        RepostedBy,        // the users who reposted a post
        LikingUsers,       // the users who liked a post
        ListMembers,       // the members of a list
    };

    Kind kind = Kind::Search;
    std::string subject;  // the query (search), the table file (update, continue, exports), the account
    std::string query;    // --query
    std::string out;      // --out
    std::string users;    // --users
    std::string lang;     // --lang
    std::string archive;  // --archive: the run's raw objects go to this file
    std::string by;       // --by hour|day|week (frequencies; the whole table when empty)
    // --graph mention|cohashtag|hashtag-user|interaction|coword (export-network; mention when empty)
    std::string graph;
    std::optional<int> backDays;  // --back
    std::string api;              // --api: "v2", "v1.1", or "" for the default (v1.1)
    std::string service;          // --service: "bluesky", "x", or "" for the default (x)
    bool archiveSearch = false;   // --archive-search: v2 searches and counts go to the full archive
    // export-network of a user table: whose followers or friends its rows are. Taken from
    // --follows-of and --kind, or else from a table name "<account>_followers" or
    // "<account>_friends".
    std::string followsOf;    // --follows-of
    std::string followKind;   // --kind: "followers" or "friends"
    bool exactTexts = false;  // --exact-texts: "Keep Texts Exactly" for this run
    bool words = false;       // --words: frequencies adds the words of the posts
    std::optional<int> top;   // --top N: the words of the co-word graph
    // --max-cost DOLLARS: the most this run may spend on v2 reads (commands that read from
    // the service).
    std::optional<Money> maxCost;
    std::string month;   // --month YYYY-MM (spending)
    std::string column;  // --column NAME|N: the column of a CSV file or table that holds post ids
    // conversation: the posts whose conversations are read (the first in subject as well)
    std::vector<std::string> ids;
    // --extra-columns: the Tweets table written carries the columns after the documented
    // ones (conversation, replies, quotes, reposts and the counts).
    bool extraColumns = false;

    // The commands whose answer is a list of users (the users of a post, a list's members).
    bool ListsUsersOfPostOrList() const;
    // The commands that write a Tweets table.
    bool WritesTweetTable() const;

    // True for the commands that read from the service.
    bool ReadsFromService() const;
    // A capture built on the first service's post ids and search operators.
    bool FirstServiceOnly() const;
    // --service bluesky.
    bool Bluesky() const { return service == "bluesky"; }

    // The command, or nothing with the reason in *error.
    static std::optional<HeadlessCommand> Parse(const std::vector<std::string>& arguments,
                                                std::string* error);
    static std::string UsageText();
};

}  // namespace marlin
