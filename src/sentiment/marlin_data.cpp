#include "sentiment/marlin_data.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "core/code_page.h"
#include "core/exact_text.h"
#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "sentiment/shell_and_wait.h"
#include "sentiment/table_text.h"

namespace marlin {

static_assert(TableText::kFields == MarlinData::kColumns);

namespace {

constexpr const char* kScorerFailedMessage = "Couldn't complete Sentistrength analysis";
constexpr long long kScorerBaseLimitMilliseconds = 20000;

std::string WithoutSigns(const std::string& dateTime) {
    std::string out;
    for (char ch : dateTime)
        if (ch != '+' && ch != '-') out += ch;
    return out;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    std::string read(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(read.data(), size)) return false;
    // A file that grew while it was read is read on to its end.
    read.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    bytes = std::move(read);
    return true;
}

// The file's text as UTF-8: after a byte-order mark it is UTF-8 already; otherwise it is
// Windows-1252, which only its bytes from 128 up tell apart from UTF-8.
std::string FileText(std::string bytes) {
    if (std::string_view(bytes).starts_with(ExactText::kUtf8Mark))
        return bytes.substr(ExactText::kUtf8Mark.size());
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) return bytes;  // as it is, without a copy
    return CodePage::FromWindows1252(bytes);
}

// The scorer reads one text a line, so a line break inside a text would shift every later
// score onto the wrong record.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& ch : line)
        if (ch == '\r' || ch == '\n') ch = ' ';
    return line;
}

void RemoveFile(const std::filesystem::path& path) {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// An optional minus and at least one digit: what the scorer writes for a score.
bool IsWholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "tmp-" and 16 random hexadecimal digits: a name no other run, in this program or in a
// second copy sharing its folder, can hold at the same time.
std::string RandomExchangeName() {
    static std::random_device source;
    const unsigned long long value = (static_cast<unsigned long long>(source()) << 32) ^ source();
    char name[32];
    std::snprintf(name, sizeof name, "tmp-%016llx.txt", value);
    return name;
}

}  // namespace

MarlinData::MarlinData(ProcessHost& host, std::filesystem::path appFolder)
    : m_host(host), m_appFolder(std::move(appFolder)) {}

void MarlinData::CheckCell(std::int32_t record, std::uint8_t field) const {
    if (record < 1 || record > RecordCount())
        throw std::out_of_range("record " + std::to_string(record) + " is outside the table");
    if (field < m_firstColumn || field > kColumns)
        throw std::out_of_range("column " + std::to_string(field) + " is outside the table");
}

std::string_view MarlinData::Cell(std::int32_t record, std::uint8_t field) const {
    CheckCell(record, field);
    if (field == 0) return {};  // column 0 stays empty
    const std::uint32_t* starts = &m_starts[static_cast<std::size_t>(record - 1) * kStride];
    return std::string_view(m_cells).substr(starts[field - 1], starts[field] - 1 - starts[field - 1]);
}

std::string MarlinData::Value(std::int32_t record, std::uint8_t field) const {
    return std::string(Cell(record, field));
}

std::vector<MarlinData::Record> MarlinData::Data() const {
    std::vector<Record> records(RecordCount());
    for (std::int32_t r = 1; r <= RecordCount(); ++r)
        for (int c = 1; c <= kColumns; ++c) records[r - 1][c] = Value(r, static_cast<std::uint8_t>(c));
    return records;
}

void MarlinData::AppendCell(std::string_view text) {
    m_cells += text;
    m_cells += '\t';
    AppendRecordStart();
}

void MarlinData::SetData(const TweetSet& tweets) {
    m_tweets = &tweets;
    const std::int32_t count = tweets.Count();
    m_cells.clear();
    m_starts.clear();
    m_starts.reserve(static_cast<std::size_t>(std::max(count, 0)) * kStride);
    const bool keepSigns = tweets.VBDateTimes();
    for (std::int32_t i = 1; i <= count; ++i) {
        AppendRecordStart();
        AppendCell(keepSigns ? tweets.DateTime(i) : WithoutSigns(tweets.DateTime(i)));
        AppendCell(tweets.ScreenName(i));
        AppendCell(tweets.Text(i));
        AppendCell(tweets.TweetID(i));
        AppendCell(tweets.RealName(i));
        AppendCell(std::to_string(tweets.Followers(i)));
        AppendCell(std::to_string(tweets.Following(i)));
        AppendCell(tweets.Location(i));
        AppendCell(tweets.UTC_Offset(i));
        AppendCell(tweets.GeoCoords(i));
        AppendCell(std::to_string(tweets.UserTweets(i)));
        AppendCell(std::to_string(tweets.Retweeted(i)));
        AppendCell(tweets.LinkURL(i));
        AppendCell("0");  // Sent+
        AppendCell("0");  // Sent-
        AppendCell(tweets.Description(i));
    }
    m_firstColumn = 0;
}

bool MarlinData::Load(const std::string& fileName) {
    if (!SKDFuncs::FileExists(fileName)) return false;
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes)) return false;
    const bool utf8 = std::string_view(bytes).starts_with(ExactText::kUtf8Mark);
    std::string text = FileText(std::move(bytes));
    if (text.size() >= std::numeric_limits<std::uint32_t>::max()) return false;

    std::vector<std::string_view> lines;
    TableText::Lines(text, TableText::LineFeedFile(text), true,
                     [&lines](std::string_view line) { lines.push_back(line); });
    std::vector<std::uint32_t> starts(lines.size() * kStride);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto at = static_cast<std::size_t>(lines[i].data() - text.data());
        if (!TableText::FieldStarts(lines[i], at, &starts[i * kStride]))
            return false;  // the table stays as it was
    }
    m_cells = std::move(text);
    m_starts = std::move(starts);
    m_firstColumn = 1;
    m_loadedUtf8 = utf8;
    return true;
}

void MarlinData::Save(const std::string& fileName, bool append) {
    if (!m_tweets) throw std::logic_error("MarlinData::Save needs a tweet set given by SetData");
    std::string text;
    for (std::int32_t i = 1; i <= m_tweets->Count(); ++i) {
        for (int column = 1; column <= kColumns; ++column) {
            text += Value(i, static_cast<std::uint8_t>(column));
            text += '\t';
        }
        text += "\r\n";
    }
    std::ofstream out(fileName, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out << CodePage::ToWindows1252(text);
    out.close();
    if (!out) throw std::runtime_error("cannot write " + fileName);
}

// The score cells change length, so the cells are laid out anew.
void MarlinData::SetScores(const std::vector<std::pair<std::string_view, std::string_view>>& scores) {
    MarlinData scored(m_host, m_appFolder);
    scored.m_cells.reserve(m_cells.size());
    scored.m_starts.reserve(m_starts.size());
    for (std::int32_t r = 1; r <= RecordCount(); ++r) {
        scored.AppendRecordStart();
        for (int c = 1; c <= kColumns; ++c) {
            if (c == kPositiveColumn) {
                scored.AppendCell(scores[r - 1].first);
            } else if (c == kNegativeColumn) {
                scored.AppendCell(scores[r - 1].second);
            } else {
                scored.AppendCell(Cell(r, static_cast<std::uint8_t>(c)));
            }
        }
    }
    m_cells = std::move(scored.m_cells);
    m_starts = std::move(scored.m_starts);
}

long long MarlinData::ScorerTimeLimit(std::int32_t records) {
    // A large table takes the scorer longer than a fixed limit allows: 1 ms a record is about
    // ten times what it needs.
    return kScorerBaseLimitMilliseconds + (records > 0 ? records : 0);
}

bool MarlinData::FailScorerRun(const std::string& reason, bool showMessage) {
    m_lastScorerError = reason;
    if (showMessage) m_host.ScorerFailed(kScorerFailedMessage, "Error");
    return false;
}

std::filesystem::path MarlinData::ScorerOutputPath() const {
    if (m_scorerInput.empty()) return {};
    std::filesystem::path output = m_scorerInput;
    return output.replace_filename(m_scorerInput.stem().string() + "0_out.txt");
}

// Creates the input file under a name of this run's own; creating it exclusively makes the
// name ours until the run removes it.
bool MarlinData::ReserveScorerInput() {
    int error = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path path = m_appFolder / RandomExchangeName();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_scorerInput = path;
            return true;
        }
        error = errno;
        if (error != EEXIST) break;
    }
    return FailScorerRun("Sentiment scorer: cannot create its input file in " + m_appFolder.string() + ": " +
                             std::strerror(error),
                         true);
}

bool MarlinData::WriteScorerInput(bool recalc) {
    std::string text;
    try {
        for (std::int32_t i = 1; i <= RecordCount(); ++i) {
            // The scorer reads the single-byte code page: exact texts reach it in the
            // placeholder form the documented clean-up gives.
            text += OneLine(ExactText::WithPlaceholders(recalc ? Value(i, 3) : m_tweets->Text(i)));
            text += "\r\n";
        }
    } catch (const std::exception& e) {
        return FailScorerRun(
            std::string("Sentiment scorer: the tweet set no longer matches the table: ") + e.what(), true);
    }
    std::ofstream out(ScorerInputPath(), std::ios::binary | std::ios::trunc);
    out << CodePage::ToWindows1252(text);
    out.close();
    if (!out)
        return FailScorerRun("Sentiment scorer: cannot write its input file " + ScorerInputPath().string(),
                             true);
    return true;
}

bool MarlinData::RunSentiStrength(const std::string& ssJarDir, const std::string& ssDataDir, bool recalc) {
    m_lastScorerError.clear();
    m_scorerInput.clear();
    const bool scored = RunScorer(ssJarDir, ssDataDir, recalc);
    // Whatever happened, the exchange files of this run go: the next run has names of its own.
    RemoveFile(ScorerInputPath());
    RemoveFile(ScorerOutputPath());
    m_host.LetEventsRun();
    return scored;
}

bool MarlinData::RunScorer(const std::string& ssJarDir, const std::string& ssDataDir, bool recalc) {
    if (!recalc && !m_tweets) return FailScorerRun("Sentiment scorer: there is no tweet set to score", true);
    if (!ReserveScorerInput() || !WriteScorerInput(recalc)) return false;
    m_host.LetEventsRun();

    const std::string jar = (std::filesystem::path(ssJarDir) / "bin" / "support.dll").string();
    const std::string dataFolder = (std::filesystem::path(ssDataDir) / "SentiStrengthData").string() + "/";
    const std::string input = ScorerInputPath().string();
    for (const std::string* path : {&jar, &dataFolder, &input})
        if (path->find('"') != std::string::npos)
            return FailScorerRun("Sentiment scorer: a path holds a double quote: " + *path, true);
    const std::string commandLine = "java -jar " + QuoteArgument(jar) + " sentidata " +
                                    QuoteArgument(dataFolder) + " input " + QuoteArgument(input);

    ShellReport report;
    const long long limit = ScorerTimeLimit(RecordCount());
    const ShellResult result = ShellAndWait(m_host, commandLine, limit, 0, 0, &report);
    if (result == ShellResult::TimedOut) {
        // Left running it would go on to write its output over that of the next run.
        TerminateProgram(report.pid);
        return FailScorerRun("Sentiment scorer ran out of time (" + std::to_string(limit / 1000) + " s for " +
                                 std::to_string(RecordCount()) + " tweets) and was stopped",
                             false);
    }
    if (result != ShellResult::Ended) return FailScorerRun("Sentiment scorer: " + report.message, false);

    m_host.LetEventsRun();
    if (!ReadScorerOutput()) {
        if (report.exitCode > 0)
            m_lastScorerError += " (the scorer ended with exit code " + std::to_string(report.exitCode) + ")";
        return false;
    }
    return true;
}

bool MarlinData::ReadScorerOutput() {
    std::string bytes;
    if (!ReadWholeFile(ScorerOutputPath(), bytes))
        return FailScorerRun("Sentiment scorer wrote no output file " + ScorerOutputPath().string(), true);
    // The scorer ends its lines with a line feed alone; a CR would end the text we read.
    const std::string text = CodePage::FromWindows1252(std::string_view(bytes).substr(0, bytes.find('\r')));

    std::vector<std::string_view> lines;  // lines[0] is the scorer's header
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    // Taken whole or not at all: scores written for some records only, or words where the
    // numbers belong, would pass for the scores of the tweets. Blank lines at the end carry
    // no scores and count for nothing.
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    const std::size_t results = lines.empty() ? 0 : lines.size() - 1;
    if (results != static_cast<std::size_t>(RecordCount()))
        return FailScorerRun("Sentiment scorer wrote " + std::to_string(results) + " result lines for " +
                                 std::to_string(RecordCount()) + " tweets",
                             true);
    std::vector<std::pair<std::string_view, std::string_view>> scores;
    scores.reserve(results);
    for (std::size_t i = 1; i <= results; ++i) {
        const std::string_view line = lines[i];
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return FailScorerRun("Sentiment scorer: result line " + std::to_string(i) + " has no tab", true);
        const std::size_t next = line.find('\t', tab + 1);
        const std::string_view positive = line.substr(0, tab);
        const std::string_view negative =
            line.substr(tab + 1, next == std::string_view::npos ? next : next - tab - 1);
        if (!IsWholeNumber(positive) || !IsWholeNumber(negative))
            return FailScorerRun("Sentiment scorer: result line " + std::to_string(i) +
                                     " does not start with two whole numbers",
                                 true);
        scores.emplace_back(positive, negative);
    }
    SetScores(scores);
    return true;
}

}  // namespace marlin
