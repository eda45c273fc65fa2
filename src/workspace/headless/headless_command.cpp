#include "workspace/headless/headless_command.h"

#include <charconv>
#include <filesystem>
#include <map>

#include "spending/utc_date.h"
#include "workspace/export/network_export.h"

namespace marlin {

namespace {

struct Shape {
    HeadlessCommand::Kind kind;
    bool subject;  // takes one positional argument
    std::vector<std::string> required;
    bool archives = false;  // takes --archive
    bool many = false;      // takes one or more positional arguments
};

const std::map<std::string, Shape>& Shapes() {
    using K = HeadlessCommand::Kind;
    static const std::map<std::string, Shape> shapes = {
        {"search", {K::Search, true, {"--back", "--out"}, true}},
        {"update", {K::Update, true, {"--query"}, true}},
        {"continue", {K::Continue, true, {"--query", "--back"}, true}},
        {"timelines", {K::Timelines, false, {"--users", "--out"}, true}},
        {"lookup", {K::Lookup, false, {"--users", "--out"}}},
        {"followers", {K::Followers, true, {"--out"}}},
        {"friends", {K::Friends, true, {"--out"}}},
        {"export-network", {K::ExportNetwork, true, {"--out"}, true}},
        {"export-csv", {K::ExportCsv, true, {"--out"}}},
        {"export-xlsx", {K::ExportXlsx, true, {"--out"}}},
        {"frequencies", {K::Frequencies, true, {"--out"}}},
        {"count", {K::Count, true, {"--back"}}},
        {"spending", {K::Spending, false, {}}},
        {"table-from-archive", {K::TableFromArchive, true, {"--out"}}},
        {"hydrate", {K::Hydrate, true, {"--out"}, true}},
        {"dehydrate", {K::Dehydrate, true, {"--out"}}},
        {"conversation", {K::Conversation, true, {"--out"}, true, true}},
        {"searches", {K::Searches, true, {"--back", "--out"}}},
        {"quotes", {K::Quotes, true, {"--out"}, true}},
        {"reposted-by", {K::RepostedBy, true, {"--out"}, true}},
        {"liking-users", {K::LikingUsers, true, {"--out"}, true}},
        {"list-members", {K::ListMembers, true, {"--out"}, true}},
    };
    return shapes;
}

std::string* OptionField(HeadlessCommand& command, const std::string& name) {
    if (name == "--query") return &command.query;
    if (name == "--out") return &command.out;
    if (name == "--users") return &command.users;
    if (name == "--lang") return &command.lang;
    if (name == "--archive") return &command.archive;
    if (name == "--by") return &command.by;
    if (name == "--graph") return &command.graph;
    if (name == "--api") return &command.api;
    if (name == "--follows-of") return &command.followsOf;
    if (name == "--kind") return &command.followKind;
    if (name == "--service") return &command.service;
    if (name == "--column") return &command.column;
    return nullptr;
}

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

bool TakeOption(HeadlessCommand& command, const std::string& name, const std::string& value,
                std::string* error) {
    if (name == "--back") {
        int days = -1;
        const auto [end, code] = std::from_chars(value.data(), value.data() + value.size(), days);
        if (code != std::errc() || end != value.data() + value.size() || days < 0 || days > 36500)
            return Fail(error, "--back takes a number of days, not \"" + value + "\"");
        command.backDays = days;
        return true;
    }
    if (name == "--top") {
        int top = 0;
        const auto [end, code] = std::from_chars(value.data(), value.data() + value.size(), top);
        if (code != std::errc() || end != value.data() + value.size() || top < 2 || top > 100000)
            return Fail(error, "--top takes a number of words from 2 to 100000, not \"" + value + "\"");
        command.top = top;
        return true;
    }
    if (name == "--max-cost") {
        command.maxCost = Money::Parse(value);
        if (!command.maxCost)
            return Fail(error, "--max-cost takes an amount of dollars, not \"" + value + "\"");
        return true;
    }
    if (name == "--month") {
        if (!UtcDate::IsMonth(value))
            return Fail(error, "--month takes a month as YYYY-MM, not \"" + value + "\"");
        command.month = value;
        return true;
    }
    if (name == "--api" && value != "v2" && value != "v1.1")
        return Fail(error, "--api takes v2 or v1.1, not \"" + value + "\"");
    if (name == "--service" && value != "bluesky" && value != "x")
        return Fail(error, "--service takes bluesky or x, not \"" + value + "\"");
    if (name == "--kind" && value != "followers" && value != "friends")
        return Fail(error, "--kind takes followers or friends, not \"" + value + "\"");
    std::string* field = OptionField(command, name);
    if (!field) return Fail(error, "unknown option " + name);
    *field = value;
    return true;
}

bool Given(const HeadlessCommand& command, const std::string& name) {
    if (name == "--back") return command.backDays.has_value();
    HeadlessCommand copy = command;
    const std::string* field = OptionField(copy, name);
    return field && !field->empty();
}

bool OneOf(const std::string& value, std::initializer_list<const char*> allowed) {
    for (const char* name : allowed)
        if (value == name) return true;
    return false;
}

std::optional<HeadlessCommand> Refuse(std::string* error, std::string text) {
    Fail(error, std::move(text));
    return std::nullopt;
}

// A user table's rows are the followers or friends of one account; the table itself does
// not say whose, so the name or the options must. Fills in what the name tells.
bool SettleFollowList(HeadlessCommand& command, std::string* error) {
    const bool userTable = command.subject.ends_with(".mut");
    if (!userTable) {
        if (command.followsOf.empty() && command.followKind.empty()) return true;
        return Fail(error, "--follows-of and --kind are for a user table (.mut)");
    }
    const std::string stem = std::filesystem::path(command.subject).stem().string();
    if (NetworkExport::IsUserListName(stem)) {
        const NetworkExport::FollowList list = NetworkExport::FollowListOf(stem);
        if (command.followsOf.empty()) command.followsOf = list.account;
        if (command.followKind.empty()) command.followKind = list.followers ? "followers" : "friends";
    }
    if (command.followsOf.empty() || command.followKind.empty())
        return Fail(error,
                    "export-network of a user table needs --follows-of ACCOUNT and --kind followers|friends");
    return true;
}

}  // namespace

std::optional<HeadlessCommand> HeadlessCommand::Parse(const std::vector<std::string>& arguments,
                                                      std::string* error) {
    if (arguments.empty()) return Refuse(error, "no command given");
    const auto shape = Shapes().find(arguments[0]);
    if (shape == Shapes().end()) return Refuse(error, "unknown command " + arguments[0]);

    HeadlessCommand command;
    command.kind = shape->second.kind;
    bool haveSubject = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--archive-search") {
            command.archiveSearch = true;
        } else if (argument == "--exact-texts") {
            command.exactTexts = true;
        } else if (argument == "--extra-columns") {
            command.extraColumns = true;
        } else if (argument == "--words") {
            if (command.kind != Kind::Frequencies) return Refuse(error, "--words is for frequencies");
            command.words = true;
        } else if (argument.rfind("--", 0) == 0) {
            if (i + 1 >= arguments.size()) return Refuse(error, argument + " needs a value");
            if (argument == "--archive" && !shape->second.archives)
                return Refuse(error, arguments[0] + " takes no --archive");
            if (!TakeOption(command, argument, arguments[++i], error)) return std::nullopt;
        } else if (shape->second.subject && !haveSubject) {
            command.subject = argument;
            command.ids.push_back(argument);
            haveSubject = true;
        } else if (shape->second.many) {
            command.ids.push_back(argument);
        } else {
            return Refuse(error, "unexpected argument \"" + argument + "\"");
        }
    }
    if (shape->second.subject && command.subject.empty())
        return Refuse(error,
                      arguments[0] + " needs its " + (command.kind == Kind::Search ? "QUERY" : "argument"));
    for (const std::string& name : shape->second.required)
        if (!Given(command, name)) return Refuse(error, arguments[0] + " needs " + name);
    if (!command.by.empty() &&
        (command.kind != Kind::Frequencies || !OneOf(command.by, {"hour", "day", "week"})))
        return Refuse(error, "--by takes hour, day or week, with frequencies");
    if (!command.graph.empty() &&
        (command.kind != Kind::ExportNetwork ||
         !OneOf(command.graph, {"mention", "cohashtag", "hashtag-user", "interaction", "coword"})))
        return Refuse(
            error,
            "--graph takes mention, cohashtag, hashtag-user, interaction or coword, with export-network");
    if (command.top && command.graph != "coword") return Refuse(error, "--top is for --graph coword");
    if (command.kind == Kind::ExportNetwork && !command.archive.empty() && command.graph != "interaction")
        return Refuse(error, "export-network takes --archive with --graph interaction");
    if (command.maxCost && !command.ReadsFromService())
        return Refuse(error, arguments[0] + " reads nothing from the service and takes no --max-cost");
    if (command.Bluesky() && (!command.api.empty() || command.archiveSearch || command.maxCost))
        return Refuse(
            error, "--api, --archive-search and --max-cost are for the first service, not --service bluesky");
    if (command.Bluesky() && command.FirstServiceOnly())
        return Refuse(error, arguments[0] +
                                 " reads posts, lists and conversations by the first service's ids; "
                                 "Bluesky has no call for it here");
    if (!command.service.empty() && !command.ReadsFromService())
        return Refuse(error, arguments[0] + " reads nothing from a service and takes no --service");
    if (!command.month.empty() && command.kind != Kind::Spending)
        return Refuse(error, "--month is for spending");
    if (!command.column.empty() && command.kind != Kind::Hydrate && command.kind != Kind::Dehydrate)
        return Refuse(error, "--column is for hydrate and dehydrate");
    if (command.kind != Kind::Conversation) command.ids.clear();
    if (command.extraColumns && !command.WritesTweetTable())
        return Refuse(error, arguments[0] + " writes no Tweets table and takes no --extra-columns");
    if (command.kind == Kind::ExportNetwork) {
        if (!SettleFollowList(command, error)) return std::nullopt;
    } else if (!command.followsOf.empty() || !command.followKind.empty()) {
        return Refuse(error, arguments[0] + " takes no --follows-of or --kind");
    }
    return command;
}

bool HeadlessCommand::FirstServiceOnly() const {
    return kind == Kind::Hydrate || kind == Kind::Conversation || kind == Kind::Searches ||
           kind == Kind::Quotes || kind == Kind::RepostedBy || kind == Kind::LikingUsers ||
           kind == Kind::ListMembers;
}

bool HeadlessCommand::ReadsFromService() const {
    switch (kind) {
        case Kind::Search:
        case Kind::Update:
        case Kind::Continue:
        case Kind::Timelines:
        case Kind::Lookup:
        case Kind::Followers:
        case Kind::Friends:
        case Kind::Count:
        case Kind::Hydrate:
        case Kind::Conversation:
        case Kind::Searches:
        case Kind::Quotes:
        case Kind::RepostedBy:
        case Kind::LikingUsers:
        case Kind::ListMembers:
            return true;
        default:
            return false;
    }
}

bool HeadlessCommand::ListsUsersOfPostOrList() const {
    return kind == Kind::RepostedBy || kind == Kind::LikingUsers || kind == Kind::ListMembers;
}

bool HeadlessCommand::WritesTweetTable() const {
    return kind == Kind::Search || kind == Kind::Update || kind == Kind::Continue ||
           kind == Kind::Timelines || kind == Kind::Quotes || kind == Kind::TableFromArchive;
}

std::string HeadlessCommand::UsageText() {
    return "Usage: marlin-skimmer --headless COMMAND ...\n"
           "  search QUERY --back DAYS --out FILE [--lang LL] [--archive FILE.jsonl]\n"
           "  update FILE --query QUERY [--archive FILE.jsonl]\n"
           "  continue FILE --query QUERY --back DAYS [--archive FILE.jsonl]\n"
           "  timelines --users FILE.muk|FILE.txt --out FILE [--back DAYS] [--archive FILE.jsonl]\n"
           "  lookup --users FILE --out FILE.mut\n"
           "  followers|friends SCREEN_NAME --out FILE.muk\n"
           "  export-network TABLE --out FILE.graphml [--graph mention|cohashtag|hashtag-user]\n"
           "                                            (a saved tweet table)\n"
           "  export-network TABLE --graph interaction --out FILE.graphml|FILE.xlsx [--archive FILE.jsonl]\n"
           "  export-network TABLE --graph coword --out FILE.graphml|FILE.xlsx [--top N]\n"
           "                 (with the measures of every node: FILE-nodes.csv and FILE-summary.csv\n"
           "                 beside the graph, or the sheets nodes, edges and summary of a workbook)\n"
           "  export-network TABLE.mut --out FILE.graphml --follows-of ACCOUNT --kind followers|friends\n"
           "                 (a user table of ACCOUNT's followers or friends; a table named\n"
           "                 ACCOUNT_followers.mut or ACCOUNT_friends.mut needs neither)\n"
           "  export-csv TABLE --out FILE.csv           (a saved tweet table, or a .mut user table)\n"
           "  export-xlsx TABLE --out FILE.xlsx         (the same, as an Excel workbook)\n"
           "  frequencies TABLE --out FILE.csv|FILE.xlsx [--by hour|day|week] [--words]\n"
           "                                            (FILE-hashtags.csv, -mentions, -authors, -domains,\n"
           "                                            -intervals, with --words -words; or one workbook)\n"
           "  count QUERY --back DAYS [--lang LL] --api v2 [--archive-search]\n"
           "      the posts per day of the query (\"date,posts\" lines), the search requests, quota\n"
           "      windows and cost a capture of them takes\n"
           "  spending [--month YYYY-MM]\n"
           "      what the ledger holds of v2 reads as CSV: per month, or per UTC day of the month\n"
           "  table-from-archive FILE.jsonl --out FILE [--exact-texts]\n"
           "      the Tweets table of a raw archive (v1.1 or v2), the rows the capture that wrote it\n"
           "      made; continue goes on from its oldest post\n"
           "  hydrate IDS --out FILE [--column NAME] [--archive FILE.jsonl]\n"
           "      the posts of the ids in IDS (one a line, a column of a CSV file or table, or an\n"
           "      archive) as a Tweets table, 100 ids a request; the posts also go to FILE.jsonl\n"
           "      (or --archive) and the ids not given, with the service's reason, to\n"
           "      FILE-missing.csv. Run again, it goes on where it stopped, asking for no id twice\n"
           "  dehydrate TABLE|ARCHIVE --out IDS.txt [--column NAME]\n"
           "      the post ids alone, newest first, each once (no service)\n"
           "  conversation ID... --out FILE [--back DAYS] [--archive FILE.jsonl] --api v2\n"
           "      every reply in the conversations the posts started, and the posts themselves\n"
           "  searches QUERIES.txt --back DAYS --out FOLDER [--lang LL] [--archive-search]\n"
           "      one search a line of QUERIES.txt, in order, each to FOLDER/NN-QUERY.txt and .jsonl,\n"
           "      after one estimate of them all (v2); run again, it goes on at the first query\n"
           "      not finished\n"
           "  quotes POST_ID --out FILE [--archive FILE.jsonl]\n"
           "      the posts that quote the post, a Tweets table\n"
           "  reposted-by|liking-users POST_ID --out FILE.muk|FILE.mut [--archive FILE.jsonl]\n"
           "  list-members LIST_ID --out FILE.muk|FILE.mut [--archive FILE.jsonl]\n"
           "      the users who reposted or liked the post, or the members of the list: a user list\n"
           "      (.muk, as followers writes it) or their profiles as a user table (.mut). These\n"
           "      four are v2 calls whatever --api says\n"
           "Every command that asks the service takes --service bluesky|x (x by default) and, for x,\n"
           "--api v2|v1.1 (v1.1 by default),\n"
           "--archive-search (v2 searches go to the full archive, back to 2006, one request a second)\n"
           "and --max-cost DOLLARS (the most the run may spend on v2 reads; 0 allows none). The\n"
           "day's and the month's limits and changed prices are read from prefs (LD-, LM-, PP-...).\n"
           "Credentials: the program folder's appcred, or MARLIN_APP_NAME, MARLIN_CONSUMER_KEY and\n"
           "MARLIN_CONSUMER_SECRET; for Bluesky the session kept in the program folder's bskysession, or\n"
           "MARLIN_BSKY_HANDLE and MARLIN_BSKY_APP_PASSWORD (an app password, never the account's own),\n"
           "and MARLIN_BSKY_BASE for a server other than https://bsky.social. --archive appends each tweet "
           "as the service sent it, one JSON\n"
           "object a line, unless the file holds it. --exact-texts keeps texts whole and every\n"
           "character (the table file is then UTF-8 with a byte-order mark). --extra-columns adds to a\n"
           "Tweets table, after its 16 columns, the conversation, the post replied to and its author,\n"
           "the post quoted, the post reposted and the reply, repost, quote and like counts. Quota\n"
           "windows are waited out. Exit codes:\n"
           "0 done, 1 failed, 2 bad usage, 3 stopped early (an error, a paging stop, a quota wait cut "
           "short,\n"
           "a spending limit, the service's monthly cap;\n"
           "what was retrieved is saved), 130 stopped by SIGINT or SIGTERM (what was retrieved is saved).\n";
}

}  // namespace marlin
