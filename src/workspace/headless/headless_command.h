#pragma once

#include <optional>
#include <string>
#include <vector>

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
        Frequencies
    };

    Kind kind = Kind::Search;
    std::string subject;  // the query (search), the table file (update, continue, exports), the account
    std::string query;    // --query
    std::string out;      // --out
    std::string users;    // --users
    std::string lang;     // --lang
    std::string archive;  // --archive: the run's raw objects go to this file
    std::string by;       // --by hour|day|week (frequencies; the whole table when empty)
    std::string graph;    // --graph mention|cohashtag|hashtag-user (export-network; mention when empty)
    std::optional<int> backDays;  // --back

    // The command, or nothing with the reason in *error.
    static std::optional<HeadlessCommand> Parse(const std::vector<std::string>& arguments,
                                                std::string* error);
    static std::string UsageText();
};

}  // namespace marlin
