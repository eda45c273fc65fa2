// A v2 service that misbehaves on purpose, met through the command line: the emulator's
// own answers bent on their way in (values of the wrong type, pretty-printed pages, lone
// surrogates, repeated posts, pages that cannot be read, impossible dates, 429s that name
// no reset, counts that never end or cannot be). Every run ends, keeps what came, and its
// exit code says whether it was complete.

#include <gmock/gmock.h>

#include <regex>
#include <set>
#include <sstream>

#include "core/v2_page.h"
#include "fault_fixture.h"
#include "forwarding_request.h"
#include "platform/blank_trim.h"
#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {
namespace {

// One answer as the client will see it.
struct Answer {
    int status = 200;
    std::string body;
    std::map<std::string, std::string> headers;  // replaced headers; "" removes one
};

// Which answers are bent and how: the answers to paths holding `path`, numbered from 1;
// a service that ignores `ignoredParam` never sees it.
struct Bending {
    std::string path;
    std::function<void(int page, Answer&)> bend;
    std::string ignoredParam;
    int requests = 0;
};

// The client's request, its answer bent by the shared Bending once it has come.
class BentRequest : public ForwardingRequest {
  public:
    BentRequest(std::unique_ptr<HttpRequest> inner, std::shared_ptr<Bending> bending)
        : ForwardingRequest(std::move(inner)), m_bending(std::move(bending)) {}

    void Open(const std::string& verb, const std::string& url, bool asynchronous) override {
        m_bent = m_bending->bend && url.find(m_bending->path) != std::string::npos;
        const std::string& ignored = m_bending->ignoredParam;
        const std::string sent =
            ignored.empty() ? url : std::regex_replace(url, std::regex("&" + ignored + "=[^&]*"), "");
        Inner().Open(verb, sent, asynchronous);
    }
    // Every sending is an answer of its own, the same request sent again included.
    void Send(const std::string& body) override {
        m_page = m_bent ? ++m_bending->requests : 0;
        m_answer.reset();
        Inner().Send(body);
    }
    int Status() override { return Bent().status; }
    std::string StatusText() override { return Bent().status == 429 ? "Too Many Requests" : "OK"; }
    std::string ResponseText() override { return Bent().body; }
    std::string GetResponseHeader(const std::string& name) override {
        const auto replaced = Bent().headers.find(name);
        if (replaced == Bent().headers.end()) return Inner().GetResponseHeader(name);
        if (replaced->second.empty()) throw HttpError("The requested header was not found: " + name);
        return replaced->second;
    }

  private:
    Answer& Bent() {
        if (!m_answer) {
            m_answer = Answer{Inner().Status(), Inner().ResponseText(), {}};
            if (m_page > 0) m_bending->bend(m_page, *m_answer);
        }
        return *m_answer;
    }

    std::shared_ptr<Bending> m_bending;
    bool m_bent = false;
    int m_page = 0;
    std::optional<Answer> m_answer;
};

std::string ReplaceFirst(const std::string& text, const std::string& pattern, const std::string& with) {
    return std::regex_replace(text, std::regex(pattern), with, std::regex_constants::format_first_only);
}

// Blanks and line ends wherever JSON allows them, as a pretty-printer writes them.
std::string PrettyPrinted(const std::string& json) {
    std::string out;
    bool inString = false;
    for (std::size_t k = 0; k < json.size(); ++k) {
        const char c = json[k];
        out += c;
        if (inString) {
            if (c == '\\') out += json[++k];
            if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '{' || c == '[' || c == ',') out += "\n  ";
        if (c == ':') out += ' ';
        if (k + 1 < json.size() && (json[k + 1] == '}' || json[k + 1] == ']')) out += " \n";
    }
    return out + "\n";
}

class V2AnswerFaultTest : public FaultTest {
  protected:
    void SetUp() override { Start(); }

    int Run(std::vector<std::string> arguments) {
        m_err.str("");
        m_out.str("");
        ConsoleToolkit console(m_err);
        HeadlessRun::Setup setup;
        HttpRequestFactory curl = CurlHttpRequest::Factory({});
        setup.requestFactory = [curl, bending = m_bending] {
            return std::make_unique<BentRequest>(curl(), bending);
        };
        setup.apiBase = Emu().BaseUrl();
        setup.appFolder = AppFolder();
        setup.getEnv = EmulatorCredentials();
        setup.retryDelays = {20};
        setup.quotaWindowMilliseconds = 1500;
        setup.out = &m_out;
        arguments.insert(arguments.end(), {"--api", "v2"});
        m_bending->requests = 0;
        return HeadlessRun(console, std::move(setup)).Run(arguments);
    }

    // A search back six days into s.txt; the TweetIDs of the table it saved.
    int Search(std::vector<std::string>* ids, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"search", "data",  "--back",
                                              "6",      "--out", File("s.txt").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const int code = Run(arguments);
        ids->clear();
        std::istringstream lines(ReadFileBytes(File("s.txt")));
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(Trimmed(cell));
            // Every row, an empty or foreign one included; not the header row.
            if (fields.size() > 3 && fields[3] != "TweetID") ids->push_back(fields[3]);
        }
        return code;
    }

    // The ids of the search as the service gives it, unbent.
    std::vector<std::string> Baseline() {
        std::vector<std::string> ids;
        EXPECT_EQ(Search(&ids), HeadlessRun::kDone) << m_err.str();
        EXPECT_GT(ids.size(), 200u) << "the search must take several pages";
        std::filesystem::remove(File("s.txt"));
        return ids;
    }

    void Bend(const std::string& path, std::function<void(int, Answer&)> bend,
              std::string ignoredParam = "") {
        m_bending->path = path;
        m_bending->bend = std::move(bend);
        m_bending->ignoredParam = std::move(ignoredParam);
    }
    int Requests() const { return m_bending->requests; }
    std::string Err() const { return m_err.str(); }

    std::shared_ptr<Bending> m_bending = std::make_shared<Bending>();
    std::ostringstream m_err, m_out;
};

std::set<std::string> Distinct(const std::vector<std::string>& ids) {
    return {ids.begin(), ids.end()};
}

// --- A page whose values or entries are not what the service documents ---

struct PageCase {
    const char* name;
    std::function<void(int page, Answer&)> bend;  // on search pages
    const char* says;                             // a line of the log
};

const PageCase kTypedCases[] = {
    // An object where a text belongs once closed the quotes round it and added a record.
    {"CreatedAtAnObject",
     [](int page, Answer& a) {
         if (page == 1)
             a.body = ReplaceFirst(a.body, R"re("created_at":"[^"]*")re",
                                   R"re("created_at":{"x":"\",\"id_str\":\"1\",\"y\":\""})re");
     },
     "1 x created_at given as an object, not a text"},
    {"DataEntriesThatAreNoObjects",
     [](int page, Answer& a) {
         if (page == 1) a.body = ReplaceFirst(a.body, R"re("data":\[)re", R"re("data":[42,"x",null,[],)re");
     },
     "1 x entry of data given as a number, not an object"},
    {"TextANumber",
     [](int page, Answer& a) {
         if (page == 1) a.body = ReplaceFirst(a.body, R"re("text":"(\\.|[^"\\])*")re", R"re("text":7)re");
     },
     "1 x text given as a number, not a text"},
    // Whitespace anywhere: the author is joined in, every archive line stays one object.
    {"PrettyPrinted", [](int, Answer& a) { a.body = PrettyPrinted(a.body); }, "Saved "},
    // simdjson refuses a lone surrogate while decoding; the grammar allows it.
    {"LoneSurrogate",
     [](int page, Answer& a) {
         if (page == 1) a.body = ReplaceFirst(a.body, R"re("text":")re", R"re("text":"\ud800 )re");
     },
     "Saved "},
    // The same five posts again on every page.
    {"PostsRepeated",
     [](int, Answer& a) {
         std::smatch first;
         if (!std::regex_search(a.body, first, std::regex(R"re("data":\[)re"))) return;
         const std::size_t start = first.position(0) + first.length(0);
         std::size_t end = start;
         for (int posts = 0, depth = 0; posts < 5 && end < a.body.size(); ++end) {
             if (depth == 0 && a.body[end] == ']') break;  // a last page of fewer posts
             if (a.body[end] == '"')
                 for (++end; a.body[end] != '"'; ++end)
                     if (a.body[end] == '\\') ++end;
             depth += a.body[end] == '{' ? 1 : a.body[end] == '}' ? -1 : 0;
             if (depth == 0 && a.body[end] == '}') ++posts;
         }
         a.body.insert(start, a.body.substr(start, end - start) + ",");
     },
     "statuses the service sent again were not added a second time"},
    // Dated before the service existed, or long after the capture began: undated, kept.
    {"DatedBefore2006",
     [](int page, Answer& a) {
         if (page == 1)
             a.body = ReplaceFirst(a.body, R"re("created_at":"[^"]*")re",
                                   R"re("created_at":"1990-01-01T00:00:00.000Z")re");
     },
     "1 statuses kept without a readable date (created_at)"},
    {"DatedNextYear",
     [](int page, Answer& a) {
         if (page == 2)
             a.body = ReplaceFirst(a.body, R"re("created_at":"[^"]*")re",
                                   R"re("created_at":"2999-01-01T00:00:00.000Z")re");
     },
     "1 statuses kept without a readable date (created_at)"},
};

class TypedPageTest : public V2AnswerFaultTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(TypedPageTest, EveryPostIsKeptOnceAndTheCaptureIsComplete) {
    const std::vector<std::string> expected = Baseline();
    Bend("/2/tweets/search/recent", GetParam().bend);
    std::vector<std::string> got;
    ASSERT_EQ(Search(&got, {"--archive", File("a.jsonl").string()}), HeadlessRun::kDone) << Err();
    EXPECT_EQ(Distinct(got), Distinct(expected)) << Err();
    EXPECT_EQ(got.size(), expected.size()) << "no id twice, none injected";
    EXPECT_THAT(Err(), HasSubstr(GetParam().says));
    // Every archive line is one object whose post the table holds.
    std::istringstream lines(ReadFileBytes(File("a.jsonl")));
    V2Page page;
    int archived = 0;
    for (std::string line; std::getline(lines, line); ++archived)
        EXPECT_TRUE(page.Read(line)) << line.substr(0, 200);
    EXPECT_GE(archived, static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Search, TypedPageTest, ::testing::ValuesIn(kTypedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A page that cannot be taken, or a window that names no reset: stopped early ---

const PageCase kStoppingCases[] = {
    {"DataAText",
     [](int page, Answer& a) {
         if (page >= 2) a.body = R"({"data":"oops","meta":{"result_count":1}})";
     },
     "not a readable page: data given as a text, not a list"},
    {"OnlyErrors",
     [](int page, Answer& a) {
         if (page >= 2) a.body = R"({"errors":[{"title":"Service Unavailable","detail":"later"}]})";
     },
     "not a readable page: neither data nor meta"},
    {"NoDataButANextToken",
     [](int page, Answer& a) {
         if (page >= 2) a.body = R"({"meta":{"result_count":0,"next_token":"more"}})";
     },
     "not a readable page: no readable record, yet a next_token"},
    {"SpentWithoutReset",
     [](int page, Answer& a) {
         if (page < 2) return;
         a = {429, R"({"title":"Too Many Requests","status":429})", {{"x-rate-limit-reset", ""}}};
     },
     "window's 429 named no reset still to come: the capture stops here"},
    {"SpentWithAPastReset",
     [](int page, Answer& a) {
         if (page < 2) return;
         a = {429, R"({"title":"Too Many Requests","status":429})", {{"x-rate-limit-reset", "1000000000"}}};
     },
     "window's 429 named no reset still to come: the capture stops here"},
};

class StoppingPageTest : public V2AnswerFaultTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(StoppingPageTest, KeepsTheFirstPageAndExits3) {
    Baseline();
    Bend("/2/tweets/search/recent", GetParam().bend);
    std::vector<std::string> got;
    EXPECT_EQ(Search(&got), HeadlessRun::kStoppedEarly) << Err();
    EXPECT_EQ(got.size(), 100u) << Err();
    EXPECT_THAT(Err(), HasSubstr(GetParam().says));
    EXPECT_LE(Requests(), 6) << "a bad page is asked for again a few times at most";
}

INSTANTIATE_TEST_SUITE_P(Search, StoppingPageTest, ::testing::ValuesIn(kStoppingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(V2AnswerFaultTest, A429WithoutResetWaitsOneWindowWithALineForEveryWait) {
    Bend("/2/tweets/search/recent", kStoppingCases[3].bend);
    std::vector<std::string> got;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Search(&got), HeadlessRun::kStoppedEarly);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
    EXPECT_EQ(Requests(), 5);  // the first page, the 429, two asked again, one after the window
    const std::string err = Err();
    auto count = [&](const std::string& text) {
        int n = 0;
        for (std::size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("Quota window spent @"), 4) << err;
    EXPECT_EQ(count("asking again in a second"), 2) << err;
    EXPECT_EQ(count("waiting one window (0:01)"), 1) << err;
}

// --- A follower list whose token is not a text ---

TEST_F(V2AnswerFaultTest, AFollowerTokenThatIsNoTextStopsTheListEarlyWithNoEmptyRow) {
    for (const char* token : {R"({"a":1})", "12", "null"}) {
        SCOPED_TRACE(token);
        Bend("/followers", [token](int page, Answer& a) {
            if (page == 1)
                a.body = ReplaceFirst(a.body, R"re("next_token":"[^"]*")re",
                                      "\"next_token\":" + std::string(token));
        });
        const std::string out = File("f.muk").string();
        EXPECT_EQ(Run({"followers", Emu().Users().midsize, "--out", out}), HeadlessRun::kStoppedEarly)
            << Err();
        EXPECT_EQ(Requests(), 1);
        EXPECT_THAT(Err(), HasSubstr("the next_token is not a text"));
        std::istringstream lines(ReadFileBytes(out));
        int rows = 0;
        for (std::string line; std::getline(lines, line); ++rows)
            EXPECT_THAT(line, ::testing::MatchesRegex("[0-9]+\t[^\t]+\r?")) << "no empty user row";
        EXPECT_GT(rows, 0);
    }
}

// --- The token answer, pretty-printed ---

TEST_F(V2AnswerFaultTest, ABearerTokenAnswerWithBlanksIsRead) {
    Bend("/oauth2/token", [](int, Answer& a) { a.body = PrettyPrinted(a.body); });
    std::vector<std::string> got;
    EXPECT_EQ(Search(&got), HeadlessRun::kDone) << Err();
    EXPECT_EQ(Requests(), 1);
}

// --- Counts that end and add up ---

struct CountCase {
    const char* name;
    std::function<void(int page, Answer&)> bend;
    int exitCode;
    int requests;
    const char* says;
};

std::string WithToken(const std::string& body, const std::string& token) {
    const std::string bare = std::regex_replace(body, std::regex(R"re("next_token":"[^"]*",?)re"), "");
    return ReplaceFirst(bare, R"re("meta":\{)re", "\"meta\":{\"next_token\":" + token + ",");
}

const CountCase kCountCases[] = {
    {"TokensInACycle", [](int page, Answer& a) { a.body = WithToken(a.body, page % 2 ? "\"A\"" : "\"B\""); },
     HeadlessRun::kStoppedEarly, 3, "Counts stopped early: the service sent an earlier next_token again (A)"},
    {"ANewTokenEveryPage",
     [](int page, Answer& a) { a.body = WithToken(a.body, "\"T" + std::to_string(page) + "\""); },
     HeadlessRun::kStoppedEarly, 3, "Counts stopped early: more pages than the span can take (3)"},
    {"ATokenThatIsNoText", [](int, Answer& a) { a.body = WithToken(a.body, "{\"x\":1}"); },
     HeadlessRun::kStoppedEarly, 1, "Counts stopped early: the next_token is not a text"},
    {"ANegativeDay",
     [](int, Answer& a) {
         a.body = ReplaceFirst(a.body, R"re("tweet_count":\d+)re", R"re("tweet_count":-500)re");
     },
     HeadlessRun::kFailed, 2, "is not a whole number from 0 to 10000000000 (-500)"},
    {"ADayPastAnyDay",
     [](int, Answer& a) {
         a.body =
             ReplaceFirst(a.body, R"re("tweet_count":\d+)re", R"re("tweet_count":5000000000000000000)re");
     },
     HeadlessRun::kFailed, 2, "(5000000000000000000)"},
    {"AFractionOfAPost",
     [](int, Answer& a) {
         a.body = ReplaceFirst(a.body, R"re("tweet_count":\d+)re", R"re("tweet_count":1.5)re");
     },
     HeadlessRun::kFailed, 2, "(1.5)"},
};

class CountPagingTest : public V2AnswerFaultTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountPagingTest, EndsPacedAndNeverAddsWhatCannotBeACount) {
    const CountCase& c = GetParam();
    Bend("/2/tweets/counts/recent", c.bend, "next_token");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"count", "data", "--back", "3"}), c.exitCode) << Err();
    EXPECT_EQ(Requests(), c.requests);
    // One request a second.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000 * (c.requests - 1)));
    EXPECT_THAT(Err(), HasSubstr(c.says));
    EXPECT_THAT(m_out.str(), Not(HasSubstr(",-"))) << "no negative day";
    EXPECT_THAT(m_out.str(), Not(HasSubstr("$-"))) << "no negative cost";
    if (c.exitCode == HeadlessRun::kStoppedEarly) {
        EXPECT_THAT(m_out.str(), HasSubstr("# stopped early"));
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, CountPagingTest, ::testing::ValuesIn(kCountCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlin::testing
