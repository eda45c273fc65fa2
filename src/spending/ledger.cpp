#include "spending/ledger.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "spending/sql_statement.h"
#include "spending/utc_date.h"

namespace marlin {

namespace {

constexpr int kSchemaVersion = 1;
// The days whose objects are held in memory; a run meets one, two over midnight.
constexpr std::size_t kDaysHeld = 4;

// Turning a new file to WAL takes the file's exclusive lock, and SQLite answers "locked" at
// once instead of calling the busy handler when a second program is opening the same new
// file; so it is asked again here for as long as the busy time allows.
bool SwitchToWal(sqlite3* db, int busyMilliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyMilliseconds);
    for (;;) {
        const int result = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (result == SQLITE_OK) return true;
        if ((result & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Money is kept in millionths of a dollar (integers: sums stay exact). A page's reads are
// one row of `pages`: the objects charged, and those read again that day (not charged), as
// JSON arrays, and for posts when each was written. `days` holds the sums per UTC day and
// kind, written in the same transaction, so that a limit check before each request reads a
// month's spending in a few rows.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS runs(
    run INTEGER PRIMARY KEY AUTOINCREMENT,
    started INTEGER NOT NULL,
    kind TEXT NOT NULL,
    query TEXT NOT NULL,
    service TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS pages(
    page INTEGER PRIMARY KEY AUTOINCREMENT,
    day TEXT NOT NULL,
    kind TEXT NOT NULL,
    price INTEGER NOT NULL,
    run INTEGER NOT NULL,
    request INTEGER NOT NULL,
    at INTEGER NOT NULL,
    objects TEXT NOT NULL,
    repeats TEXT NOT NULL,
    posted TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS pages_by_day ON pages(day, kind);
CREATE TABLE IF NOT EXISTS days(
    day TEXT NOT NULL,
    kind TEXT NOT NULL,
    reads INTEGER NOT NULL,
    repeats INTEGER NOT NULL,
    spent INTEGER NOT NULL,
    PRIMARY KEY(day, kind)) WITHOUT ROWID;
CREATE VIEW IF NOT EXISTS reads(day, kind, object, price, charged, run, request, at) AS
    SELECT p.day, p.kind, o.value, p.price, 1, p.run, p.request, p.at FROM pages p, json_each(p.objects) o
    UNION ALL
    SELECT p.day, p.kind, o.value, p.price, 0, p.run, p.request, p.at FROM pages p, json_each(p.repeats) o;
)";

// The sums of `days` rows grouped by a period (a day, or its first seven characters).
constexpr const char* kTallyColumns =
    "SUM(CASE WHEN kind='post' THEN reads ELSE 0 END), SUM(CASE WHEN kind='user' THEN reads ELSE 0 END), "
    "SUM(CASE WHEN kind LIKE 'counts-%' THEN reads ELSE 0 END), SUM(repeats), SUM(spent)";

ReadKind KindNamed(const std::string& name) {
    for (ReadKind kind : {ReadKind::Post, ReadKind::User, ReadKind::CountsRecent, ReadKind::CountsAll})
        if (ReadKindName(kind) == name) return kind;
    return ReadKind::Post;
}

// The days of a month (or the one day) lie between "2026-12" and "2026-12~" ('~' sorts after
// every digit and '-').
std::string MonthEnd(const std::string& month) {
    return month + "~";
}

// Appends one JSON array element: a string (quotes and backslashes escaped, control codes blank).
void AppendString(std::string& array, std::string_view text) {
    array += array.size() > 1 ? ",\"" : "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            array += '\\';
            array += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            array += ' ';
        } else {
            array += c;
        }
    }
    array += '"';
}

void AppendNumber(std::string& array, std::int64_t number) {
    if (array.size() > 1) array += ',';
    array += std::to_string(number);
}

}  // namespace

Ledger::Ledger(sqlite3* db) : m_db(db) {}

Ledger::~Ledger() {
    m_insertPage.reset();
    m_addToDay.reset();
    m_newPages.reset();
    m_spent.reset();
    sqlite3_close(m_db);
}

std::unique_ptr<Ledger> Ledger::Open(const std::filesystem::path& file, std::string* problem,
                                     int busyMilliseconds) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(
        file.c_str(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<Ledger> ledger(new Ledger(db));
    auto refuse = [&](const std::string& why) {
        if (problem) *problem = "cannot open the spending ledger " + file.string() + ": " + why;
        return nullptr;
    };
    if (opened != SQLITE_OK) return refuse(db ? sqlite3_errmsg(db) : sqlite3_errstr(opened));
    sqlite3_busy_timeout(db, busyMilliseconds);
    // WAL: readers never wait for a writer, and a writer appends instead of rewriting pages.
    // Synchronised at checkpoints only: a killed program loses nothing, a power cut at most
    // the last pages' rows, never the file; a sync per page would cost more than the page.
    if (!SwitchToWal(db, busyMilliseconds)) return refuse(sqlite3_errmsg(db));
    if (!ledger->Exec("PRAGMA synchronous=NORMAL") || !ledger->Exec("BEGIN IMMEDIATE") ||
        !ledger->Exec(kSchema))
        return refuse(ledger->m_problem);
    SqlStatement version(db, "PRAGMA user_version");
    const std::int64_t found = version.Step() == SQLITE_ROW ? version.Int(0) : -1;
    if (found > kSchemaVersion) {
        ledger->Exec("ROLLBACK");
        return refuse("it was written by a newer version of the program");
    }
    SqlStatement last(db, "SELECT COALESCE(MAX(page), 0) FROM pages");
    ledger->m_lastPage = last.Step() == SQLITE_ROW ? last.Int(0) : 0;
    if (!ledger->Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str()) ||
        !ledger->Exec("COMMIT"))
        return refuse(ledger->m_problem);
    if (!ledger->Prepare()) return refuse(ledger->m_problem);
    return ledger;
}

bool Ledger::Prepare() {
    m_insertPage = std::make_unique<SqlStatement>(
        m_db,
        "INSERT INTO pages(day, kind, price, run, request, at, objects, repeats, posted) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    m_addToDay = std::make_unique<SqlStatement>(
        m_db,
        "INSERT INTO days(day, kind, reads, repeats, spent) VALUES(?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(day, kind) DO UPDATE SET reads=reads+excluded.reads, repeats=repeats+excluded.repeats, "
        "spent=spent+excluded.spent");
    m_newPages = std::make_unique<SqlStatement>(
        m_db, "SELECT p.page, p.day, p.kind, o.value FROM pages p, json_each(p.objects) o WHERE p.page > ?1");
    m_spent = std::make_unique<SqlStatement>(
        m_db, "SELECT COALESCE(SUM(spent), 0) FROM days WHERE day>=?1 AND day<?2");
    return (m_insertPage->Prepared() && m_addToDay->Prepared() && m_newPages->Prepared() &&
            m_spent->Prepared()) ||
           Fail();
}

bool Ledger::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail();
}

bool Ledger::Fail() {
    m_problem = sqlite3_errmsg(m_db);
    return false;
}

std::optional<std::int64_t> Ledger::BeginRun(const Run& run, std::time_t now) {
    SqlStatement insert(m_db, "INSERT INTO runs(started, kind, query, service) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, static_cast<std::int64_t>(now)).Bind(2, run.kind).Bind(3, run.query).Bind(4, run.service);
    if (insert.Step() != SQLITE_DONE) {
        Fail();
        return std::nullopt;
    }
    m_problem.clear();
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<Tally> Ledger::RecordPage(std::int64_t run, std::int64_t request, std::vector<Read> reads,
                                        std::time_t now) {
    if (!reads.empty()) m_pending.push_back({run, request, std::move(reads), now});
    return WritePending();
}

std::optional<Tally> Ledger::Flush() {
    if (m_pending.empty()) return Tally{};
    return WritePending();
}

std::size_t Ledger::Pending() const {
    std::size_t reads = 0;
    for (const Unwritten& page : m_pending) reads += page.reads.size();
    return reads;
}

bool Ledger::CatchUp() {
    m_newPages->Reset();
    m_newPages->Bind(1, m_lastPage);
    int step;
    while ((step = m_newPages->Step()) == SQLITE_ROW) {
        m_lastPage = std::max(m_lastPage, m_newPages->Int(0));
        // A day not held yet is learnt whole when it is first needed.
        const auto held = m_seen.find({m_newPages->Text(1), KindNamed(m_newPages->Text(2))});
        if (held != m_seen.end()) held->second.Insert(m_newPages->Text(3));
    }
    const bool read = step == SQLITE_DONE || Fail();
    m_newPages->Reset();
    return read;
}

IdSet* Ledger::SeenOn(const std::string& day, ReadKind kind) {
    const DayAndKind key{day, kind};
    if (const auto held = m_seen.find(key); held != m_seen.end()) return &held->second;
    if (m_seen.size() >= kDaysHeld) m_seen.erase(m_seen.begin());  // the oldest day
    SqlStatement objects(m_db,
                         "SELECT o.value FROM pages p, json_each(p.objects) o WHERE p.day=?1 AND p.kind=?2");
    objects.Bind(1, day).Bind(2, ReadKindName(kind));
    IdSet& seen = m_seen[key];
    int step;
    while ((step = objects.Step()) == SQLITE_ROW) seen.Insert(objects.Text(0));
    if (step == SQLITE_DONE) return &seen;
    m_seen.erase(key);
    Fail();
    return nullptr;
}

bool Ledger::WriteGroup(const Unwritten& page, const std::string& day, const std::vector<const Read*>& group,
                        Tally& tally) {
    const ReadKind kind = group.front()->kind;
    IdSet* seen = ChargedPerRequest(kind) ? nullptr : SeenOn(day, kind);
    if (!seen && !ChargedPerRequest(kind)) return false;
    std::string objects = "[", repeats = "[", posted = "[";
    std::int64_t charged = 0;
    for (const Read* read : group) {
        // The set holds this transaction's objects too: a page naming a post twice pays once.
        if (seen && !seen->Insert(read->object)) {
            AppendString(repeats, read->object);
            continue;
        }
        if (seen) m_marked.emplace_back(seen, read->object);
        AppendString(objects, read->object);
        if (kind == ReadKind::Post) AppendNumber(posted, read->postedMs);
        ++charged;
    }
    objects += ']';
    repeats += ']';
    posted += ']';
    const Money price = group.front()->price;
    m_insertPage->Reset();
    m_insertPage->Bind(1, day).Bind(2, ReadKindName(kind)).Bind(3, price.micros()).Bind(4, page.run);
    m_insertPage->Bind(5, page.request).Bind(6, static_cast<std::int64_t>(page.at));
    m_insertPage->Bind(7, objects).Bind(8, repeats).Bind(9, posted);
    if (m_insertPage->Step() != SQLITE_DONE) return Fail();
    Tally written;
    const auto reads = static_cast<std::int64_t>(group.size());
    written.Add(kind, reads, reads - charged, price * charged);
    tally += written;
    return AddToDay(day, kind, written);
}

bool Ledger::AddToDay(const std::string& day, ReadKind kind, const Tally& tally) {
    m_addToDay->Reset();
    m_addToDay->Bind(1, day).Bind(2, ReadKindName(kind));
    m_addToDay->Bind(3, tally.posts + tally.users + tally.counts).Bind(4, tally.repeats);
    m_addToDay->Bind(5, tally.spent.micros());
    return m_addToDay->Step() == SQLITE_DONE || Fail();
}

std::optional<Tally> Ledger::Abandon() {
    const std::string problem = m_problem.empty() ? sqlite3_errmsg(m_db) : m_problem;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    for (const auto& [seen, object] : m_marked) seen->Erase(object);
    m_marked.clear();
    m_problem = problem;
    return std::nullopt;
}

std::optional<Tally> Ledger::WritePending() {
    if (!Exec("BEGIN IMMEDIATE")) return std::nullopt;
    m_problem.clear();
    m_marked.clear();
    if (!CatchUp()) return Abandon();
    Tally written;
    for (const Unwritten& page : m_pending) {
        const std::string day = UtcDate::Day(page.at);
        // A page's reads of one kind at one price make one row (a page has one of each).
        std::vector<const Read*> group;
        for (std::size_t k = 0; k < page.reads.size(); ++k) {
            group.push_back(&page.reads[k]);
            const bool last = k + 1 == page.reads.size() || page.reads[k + 1].kind != page.reads[k].kind ||
                              page.reads[k + 1].price != page.reads[k].price;
            if (!last) continue;
            if (!WriteGroup(page, day, group, written)) return Abandon();
            group.clear();
        }
    }
    // A COMMIT that fails can leave the transaction open (SQLITE_BUSY); Abandon ends it.
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return Abandon();
    m_lastPage = std::max<std::int64_t>(m_lastPage, sqlite3_last_insert_rowid(m_db));
    m_marked.clear();
    m_pending.clear();
    return written;
}

std::optional<Money> Ledger::SpentOn(const std::string& day) {
    return SpentBetween(day, MonthEnd(day));
}

std::optional<Money> Ledger::SpentIn(const std::string& month) {
    return SpentBetween(month, MonthEnd(month));
}

std::optional<Money> Ledger::SpentBetween(const std::string& from, const std::string& to) {
    m_spent->Reset();
    m_spent->Bind(1, from).Bind(2, to);
    const bool read = m_spent->Step() == SQLITE_ROW;
    const Money spent = Money::Micros(read ? m_spent->Int(0) : 0);
    if (!read) Fail();
    // A statement left stepped would hold its snapshot of the file open.
    m_spent->Reset();
    if (!read) return std::nullopt;
    return spent;
}

std::optional<Tally> Ledger::OfRun(std::int64_t run) {
    SqlStatement rows(m_db,
                      "SELECT kind, SUM(json_array_length(objects) + json_array_length(repeats)), "
                      "SUM(json_array_length(repeats)), SUM(price * json_array_length(objects)) "
                      "FROM pages WHERE run=?1 GROUP BY kind");
    rows.Bind(1, run);
    Tally tally;
    int step;
    while ((step = rows.Step()) == SQLITE_ROW)
        tally.Add(KindNamed(rows.Text(0)), rows.Int(1), rows.Int(2), Money::Micros(rows.Int(3)));
    if (step != SQLITE_DONE) {
        Fail();
        return std::nullopt;
    }
    return tally;
}

std::optional<std::vector<Tally>> Ledger::Tallies(SqlStatement& statement) {
    std::vector<Tally> tallies;
    int step;
    while ((step = statement.Step()) == SQLITE_ROW) {
        Tally& tally = tallies.emplace_back();
        tally.period = statement.Text(0);
        tally.posts = statement.Int(1);
        tally.users = statement.Int(2);
        tally.counts = statement.Int(3);
        tally.repeats = statement.Int(4);
        tally.spent = Money::Micros(statement.Int(5));
    }
    if (step != SQLITE_DONE) {
        Fail();
        return std::nullopt;
    }
    return tallies;
}

std::optional<std::vector<Tally>> Ledger::Days(const std::string& month) {
    SqlStatement days(m_db, std::string("SELECT day, ") + kTallyColumns +
                                " FROM days WHERE day>=?1 AND day<?2 GROUP BY day ORDER BY day");
    days.Bind(1, month).Bind(2, MonthEnd(month));
    return Tallies(days);
}

std::optional<std::vector<Tally>> Ledger::Months() {
    SqlStatement months(m_db, std::string("SELECT substr(day, 1, 7) AS month, ") + kTallyColumns +
                                  " FROM days GROUP BY month ORDER BY month");
    return Tallies(months);
}

std::optional<std::int64_t> Ledger::PostsChargedOn(const std::string& day) {
    SqlStatement count(m_db,
                       "SELECT COALESCE(SUM(reads - repeats), 0) FROM days WHERE day=?1 AND kind='post'");
    count.Bind(1, day);
    if (count.Step() != SQLITE_ROW) {
        Fail();
        return std::nullopt;
    }
    return count.Int(0);
}

std::optional<std::int64_t> Ledger::PostsReadOn(const std::string& day, const std::string& query,
                                                std::int64_t fromMs, std::int64_t toMs) {
    SqlStatement count(m_db,
                       "SELECT COUNT(DISTINCT o.value) FROM pages p JOIN runs u ON u.run=p.run, "
                       "json_each(p.objects) o, json_each(p.posted) t "
                       "WHERE p.day=?1 AND p.kind='post' AND u.query=?2 AND t.key=o.key AND t.value>=?3 "
                       "AND t.value<?4");
    count.Bind(1, day).Bind(2, query).Bind(3, fromMs).Bind(4, toMs);
    if (count.Step() != SQLITE_ROW) {
        Fail();
        return std::nullopt;
    }
    return count.Int(0);
}

}  // namespace marlin
