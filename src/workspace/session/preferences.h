#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/tweet_column.h"

namespace marlin {

// The preferences file "prefs" in the program folder: the two histories, the search
// language and the Tweets table column widths, one tagged line each ("QP-", "UP-",
// "LA-", "HW-"), and the window's settings after them. Only the text format lives here; when lines are read
// and what they open is the start-up's business.
class Preferences {
  public:
    static constexpr const char* kFileName = "prefs";

    enum class Tag {
        Query,
        Timeline,
        Language,
        Widths,
        WaitForQuota,
        KeepRaw,
        PaneSizes,
        ServiceApi,
        FullArchive,
        PricePerPost,
        ExactTexts,
        ExtraColumns,
        // The spending limits and the other prices ("LD-", "LM-", "PU-", "PC-", "PF-"),
        // read by the capture; the value is the whole line.
        Spending
    };
    struct Line {
        Tag tag;
        // Query: the rebuilt history entry (query, two blanks, file name);
        // Timeline: the file name; Language: the code; Widths: the text after "HW-";
        // PaneSizes: the text after "SP-" (see ParsePaneSizes).
        std::string value;
    };

    // The tagged lines of a prefs text in file order; untagged lines are dropped.
    // Accepts CR LF, LF or CR line ends.
    static std::vector<Line> Parse(const std::string& text);

    // Switches kept beside the histories; a switch that is off writes no line, so a file
    // written with both off is what the program wrote before they existed.
    struct Switches {
        bool waitForQuota = false;  // "AW-1"
        bool keepRaw = false;       // "RA-1"
        bool apiV2 = false;         // "AV-2": Settings › "Service" › "X (v2)"
        bool bluesky = false;  // "AV-bluesky": Settings › "Service" › "Bluesky" (after AV-2, which it keeps)
        bool fullArchive = false;  // "FA-1"
        // "PP-" and the price per post read, written only when it is not the published price.
        std::optional<double> pricePerPost;
        bool exactTexts = false;    // "ET-1"
        bool extraColumns = false;  // "EC-1": Settings › "Extra Columns"
        // The spending lines as read, written back unchanged after the price line.
        std::vector<std::string> spendingLines;
    };

    // The sizes of one splitter's panes as the user left them: "SP-", the splitter's
    // name, ":" and the sizes joined by ",". A window never rearranged writes none.
    struct PaneSizes {
        std::string name;
        std::vector<int> sizes;
        bool operator==(const PaneSizes&) const = default;
    };

    // The whole prefs text: QP- lines, UP- lines, the LA- line, the HW- line, then the
    // lines of the switches that are on and one SP- line per splitter given, each ended
    // by CR LF.
    //
    // A history entry the plain line would not bring back whole (a query holding a comma
    // or two blanks, a file name with two blanks, a line break, or a character the
    // single-byte code page lacks) is written instead, in its place in the list, as a
    // "QX-" or "UX-" line: the entry exactly as the list holds it, with every byte outside
    // printable ASCII and every "%" written as "%" and two hex digits. Such a line is one
    // ASCII line whatever the entry holds; readers that know only the plain tags skip it,
    // and every entry that fits a plain line is written as before, so files of earlier
    // versions and for earlier versions stay as they were.
    static std::string Format(const std::vector<std::string>& queryHistory,
                              const std::vector<std::string>& timelineHistory, const std::string& searchLang,
                              const std::vector<int>& columnWidths, const Switches& switches,
                              const std::vector<PaneSizes>& panes = {});
    static std::string Format(const std::vector<std::string>& queryHistory,
                              const std::vector<std::string>& timelineHistory, const std::string& searchLang,
                              const std::vector<int>& columnWidths);

    // A query history entry as stored: every two adjacent blanks, left to right and
    // without overlap, become one comma.
    static std::string QueryEntryToLine(const std::string& entry);
    // The stored form back as an entry: first comma-piece, two blanks, second piece.
    // A line without a comma keeps its query with an empty file name.
    static std::string QueryLineToEntry(const std::string& body);

    // Splits a query history entry at its two-blank separators: query and file name.
    // The file name begins at the first separator followed by an absolute path, so a
    // query or a file name holding two blanks keeps them; an entry without such a
    // separator gives the first two pieces.
    static std::pair<std::string, std::string> SplitQueryEntry(const std::string& entry);

    // The widths of an HW- line, rounded to whole twips, when it holds at least
    // `columns` numbers; extra values are ignored. Nothing for a short or bad line.
    static std::optional<std::vector<int>> ParseWidths(const std::string& body,
                                                       int columns = TweetColumn::Count);

    // An SP- line's text back as its splitter's name and sizes (rounded to whole units);
    // nothing for a line without a name or sizes, or with a size that is no number from 0 up.
    static std::optional<PaneSizes> ParsePaneSizes(const std::string& body);

    // Reads the prefs file (Windows-1252 on disk). Nothing when the file is missing or
    // unreadable.
    static std::optional<std::vector<Line>> Read(const std::filesystem::path& file);

    // Writes the prefs text to a temporary file beside `file` and renames it over the
    // old one, so a crash or a full disk part-way never leaves the histories
    // half-written. False when the new file could not be written; the old one is kept.
    static bool Write(const std::filesystem::path& file, const std::string& text);
};

}  // namespace marlin
