// Paging loops against a service that does not move them on (max_id or cursor ignored),
// that sends a tweet whose date cannot be read, or a page too large for memory: every
// loop ends, and what arrived before stays.

#include <gmock/gmock.h>

#include <algorithm>
#include <new>
#include <regex>

#include "fault_fixture.h"
#include "forwarding_request.h"
#include "service/curl_http_request.h"

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

enum class Misbehaviour {
    IgnoreMaxId,
    RisingIds,    // every page newer than the one before, whatever max_id asked for
    CursorCycle,  // cursors 5, 6, 7, 5 ... with new users on every page
    IgnoreCursor,
    BadDateOnPage2,
    NoMemoryReadingPage2,
    NoMemoryAfterPage2
};

// The service's own cursor of the page after the last one (the cycling service hides it).
std::string& RealCursor() {
    static std::string cursor;
    return cursor;
}

// The client's own request, bent the way the test's service misbehaves: the position a
// request asks for is dropped on its way out, or the second page is spoilt on its way in.
// (The page too large for memory is the toolkit's doing: see SetUp.)
class MisbehavingRequest : public ForwardingRequest {
  public:
    MisbehavingRequest(std::unique_ptr<HttpRequest> inner, Misbehaviour how, std::shared_ptr<int> pages)
        : ForwardingRequest(std::move(inner)), m_how(how), m_pages(std::move(pages)) {}

    void Open(const std::string& verb, const std::string& url, bool asynchronous) override {
        std::string sent = url;
        if (m_how == Misbehaviour::IgnoreMaxId)
            sent = std::regex_replace(sent, std::regex("max_id=[^&]*"), "");
        if (m_how == Misbehaviour::IgnoreCursor)
            sent = std::regex_replace(sent, std::regex("([?&])cursor=[^&]*"), "$1cursor=-1");
        m_page = url.find("/1.1/") == std::string::npos ? 0 : ++*m_pages;
        if (m_how == Misbehaviour::CursorCycle &&
            m_page > 1)  // the service's own next page, whatever was sent
            sent = std::regex_replace(sent, std::regex("cursor=[^&]*"), "cursor=" + RealCursor());
        if (m_how == Misbehaviour::CursorCycle)
            sent = std::regex_replace(sent, std::regex("count=200"), "count=100");
        Inner().Open(verb, sent, asynchronous);
    }
    std::string ResponseText() override {
        std::string text = Inner().ResponseText();
        if (m_page > 40) return text[0] == '[' ? "[]" : R"({"statuses":[],"users":[],"next_cursor_str":"0"})";
        if (m_how == Misbehaviour::RisingIds) return ShiftIds(text, (m_page - 1) * 100000000000000000ULL);
        if (m_how == Misbehaviour::CursorCycle) {
            std::smatch next;
            std::regex_search(text, next, std::regex(R"re("next_cursor_str":"([^"]*)")re"));
            RealCursor() = next[1];
            const std::string told = RealCursor() == "0" ? "0" : std::to_string(5 + (m_page - 1) % 3);
            return std::regex_replace(text, std::regex(R"re("next_cursor_str":"[^"]*")re"),
                                      "\"next_cursor_str\":\"" + told + "\"");
        }
        if (m_page != 2) return text;
        if (m_how == Misbehaviour::BadDateOnPage2)
            return std::regex_replace(text, std::regex("\"created_at\":\"[^\"]*\""),
                                      "\"created_at\":\"soon\"", std::regex_constants::format_first_only);
        return text;
    }

  private:
    static std::string ShiftIds(const std::string& text, unsigned long long by) {
        std::string out;
        std::size_t at = 0;
        for (std::size_t key; (key = text.find("\"id_str\":\"", at)) != std::string::npos;) {
            const std::size_t start = key + 10, end = text.find('"', start);
            out += text.substr(at, start - at) +
                   std::to_string(std::stoull(text.substr(start, end - start)) + by);
            at = end;
        }
        return out + text.substr(at);
    }

    Misbehaviour m_how;
    std::shared_ptr<int> m_pages;
    int m_page = 0;
};

enum class Command { Search, Timeline, Followers, Sample };

struct PagingCase {
    const char* name;
    Command command;
    Misbehaviour how;
    int pages;              // of the service's own answer that the table must hold (0: all)
    const char* extraLine;  // the one log line that says what happened
};

class PagingFaultTest : public FaultTest, public ::testing::WithParamInterface<PagingCase> {
  protected:
    void SetUp() override {
        Start();
        const PagingCase& c = GetParam();
        frm = std::make_unique<frmMain>(tk, Misbehaving(c.how), Emu().BaseUrl(), File("x").parent_path());
        BackDays(3650);  // before every tweet: every page is wanted
        const emulator::EmulatorConfig& config = Emu().Config();
        ASSERT_FALSE(W().Engine.Client()
                         .AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret)
                         .empty());
        *m_pages = 0;
        RealCursor() = "-1";
        const int page = c.command == Command::Search ? 100 : 200;
        if (c.how == Misbehaviour::NoMemoryReadingPage2) {
            // Memory runs out part-way through reading the second page into the set.
            tk.onDoEvents = [this, page, thrown = false]() mutable {
                if (thrown || W().Engine.Tweets().Count() <= page) return;
                thrown = true;
                throw std::bad_alloc();
            };
        }
        if (c.how == Misbehaviour::NoMemoryAfterPage2) {
            // Memory runs out once the second page is in, while the command goes on.
            tk.onDoEvents = [this, page, thrown = false]() mutable {
                const std::string line = LogLines().back();
                if (thrown || !line.starts_with("Retrieved ") || std::stoi(line.substr(10)) <= page) return;
                thrown = true;
                throw std::bad_alloc();
            };
        }
    }

    HttpRequestFactory Misbehaving(Misbehaviour how) {
        HttpRequestFactory curl = CurlHttpRequest::Factory({});
        return
            [curl, how, pages = m_pages] { return std::make_unique<MisbehavingRequest>(curl(), how, pages); };
    }

    // Runs the command; the ids the service holds and the ids the window ended with.
    std::pair<std::vector<std::string>, std::vector<std::string>> Run(Command command) {
        const std::string account = Emu().Users().midsize;
        switch (command) {
            case Command::Search:
                TweetCtl().SearchQuery.SetText("data");
                frm->Search().GetSrch_Click();
                return {Emu().Data().SearchIds("data", "en"), TableIds()};
            case Command::Timeline:
                UserCtl().UserList.AddItem(Emu().Users().demo, true);
                frm->Users().Timelines().GetAllUTL_Click();
                return {Emu().Data().TimelineIds(Emu().Users().demo), TableIds()};
            case Command::Followers: {
                tk.promptAnswers.push_back(account);
                frm->Users().List().mGetUserFollowers_Click();
                std::vector<std::string> ids;
                for (int i = 1; i <= W().Engine.Users().Count(); ++i) ids.push_back(W().Engine.Users().Id(i));
                return {Emu().Data().FollowerIds(account), ids};
            }
            case Command::Sample: {
                UserCtl().UserTables.front()->Rows().AddRow({"1", Emu().Users().demo});
                UserCtl().UserTables.front()->Rows().SetChecked(0, true);
                UserCtl().GetUTTL.Click();
                std::vector<std::string> ids;
                for (int i = 1; i <= W().Engine.Tweets().Count(); ++i)
                    ids.push_back(W().Engine.Tweets().TweetID(i));
                return {Emu().Data().TimelineIds(Emu().Users().demo), ids};
            }
        }
        return {};
    }

    std::shared_ptr<int> m_pages = std::make_shared<int>(0);
};

TEST_P(PagingFaultTest, EndsAndKeepsWhatArrived) {
    const PagingCase& c = GetParam();
    auto [expected, got] = Run(c.command);
    const std::size_t page = c.command == Command::Search ? 100 : 200;
    ASSERT_GT(expected.size(), page) << "the service's answer must need several pages";
    if (c.pages > 0) expected.resize(page * static_cast<std::size_t>(c.pages));
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected) << ::testing::PrintToString(LogLines());
    // One page asked for again at most; the loop did not run on.
    EXPECT_LE(*m_pages, static_cast<int>(expected.size() / page) + 2);

    const auto lines = LogLines();
    const auto extra = std::count_if(lines.begin(), lines.end(),
                                     [&](const std::string& l) { return l.rfind(c.extraLine, 0) == 0; });
    EXPECT_EQ(extra, 1) << ::testing::PrintToString(lines);
    EXPECT_FALSE(W().Run.Busy());
}

const PagingCase kPagingCases[] = {
    {"SearchIgnoringMaxId", Command::Search, Misbehaviour::IgnoreMaxId, 1,
     "Paging stopped: the service sent no record below the max_id asked for ("},
    {"TimelineIgnoringMaxId", Command::Timeline, Misbehaviour::IgnoreMaxId, 1,
     "Paging stopped: the service sent no record below the max_id asked for ("},
    {"SearchWithRisingIds", Command::Search, Misbehaviour::RisingIds, 1,
     "Paging stopped: the service sent no record below the max_id asked for ("},
    {"TimelineWithRisingIds", Command::Timeline, Misbehaviour::RisingIds, 1,
     "Paging stopped: the service sent no record below the max_id asked for ("},
    // Four pages of 100 before the cursor comes round again.
    {"FollowersWithACursorCycle", Command::Followers, Misbehaviour::CursorCycle, 2,
     "Paging stopped: the service sent an earlier cursor again (5)"},
    {"FollowersIgnoringCursor", Command::Followers, Misbehaviour::IgnoreCursor, 1,
     "Paging stopped: the service sent no record that had not already been retrieved"},
    // Asked again, the page is read whole once: nothing doubled, nothing lost.
    {"SampleIgnoringMaxId", Command::Sample, Misbehaviour::IgnoreMaxId, 1,
     "Paging stopped: the service sent no record that had not already been retrieved"},
    {"SearchOutOfMemoryReadingAPage", Command::Search, Misbehaviour::NoMemoryReadingPage2, 0,
     "Search ended @"},
    {"TimelineOutOfMemoryReadingAPage", Command::Timeline, Misbehaviour::NoMemoryReadingPage2, 0,
     "Retrieval of ["},
    {"SearchOutOfMemoryAfterAPage", Command::Search, Misbehaviour::NoMemoryAfterPage2, 1,
     "Retrieval stopped: a page was too large for the memory available"},
    {"TimelineOutOfMemoryAfterAPage", Command::Timeline, Misbehaviour::NoMemoryAfterPage2, 1,
     "Retrieval stopped: a page was too large for the memory available"},
    {"SearchWithAnUnreadableDate", Command::Search, Misbehaviour::BadDateOnPage2, 0,
     "1 statuses kept without a readable date (created_at)"},
    {"TimelineWithAnUnreadableDate", Command::Timeline, Misbehaviour::BadDateOnPage2, 0,
     "1 statuses kept without a readable date (created_at)"},
};

INSTANTIATE_TEST_SUITE_P(Service, PagingFaultTest, ::testing::ValuesIn(kPagingCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlin::testing
