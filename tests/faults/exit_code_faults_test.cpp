// The command line's exit code follows how the capture ended, not the texts of its log: a
// paging stop or an account the service refuses mid-run keeps what came and exits 3.

#include <gmock/gmock.h>

#include <regex>
#include <sstream>

#include "fault_fixture.h"
#include "forwarding_request.h"
#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {
namespace {

// A service that answers every page as if no position (max_id, cursor) had been asked for.
class PositionIgnoringRequest : public ForwardingRequest {
  public:
    using ForwardingRequest::ForwardingRequest;
    void Open(const std::string& verb, const std::string& url, bool asynchronous) override {
        const std::string sent = std::regex_replace(url, std::regex("max_id=[^&]*"), "");
        Inner().Open(verb, std::regex_replace(sent, std::regex("([?&])cursor=[^&]*"), "$1cursor=-1"),
                     asynchronous);
    }
};

class ExitCodeFaultTest : public FaultTest {
  protected:
    int RunHeadless(const std::vector<std::string>& arguments, bool ignorePositions) {
        m_err.str("");
        ConsoleToolkit console(m_err);
        HeadlessRun::Setup setup;
        HttpRequestFactory curl = CurlHttpRequest::Factory({});
        setup.requestFactory = curl;
        if (ignorePositions)
            setup.requestFactory = [curl] { return std::make_unique<PositionIgnoringRequest>(curl()); };
        setup.apiBase = Emu().BaseUrl();
        setup.appFolder = AppFolder();
        setup.getEnv = EmulatorCredentials();
        setup.retryDelays = {20};
        return HeadlessRun(console, std::move(setup)).Run(arguments);
    }

    std::ostringstream m_err;
};

TEST_F(ExitCodeFaultTest, ACaptureThatStoppedEarlySavesWhatCameAndExits3) {
    Start();
    struct Case {
        std::vector<std::string> arguments;
        bool ignorePositions;
        std::string says;
    };
    WriteFileBytes(File("users.txt"), Emu().Users().demo + "\r\nnobody_by_that_name\r\n");
    const std::vector<Case> cases = {
        {{"search", "data", "--back", "3650", "--out", File("s.txt").string()}, true, "Paging stopped"},
        {{"followers", Emu().Users().midsize, "--out", File("f.muk").string()}, true, "Paging stopped"},
        {{"timelines", "--users", File("users.txt").string(), "--out", File("t.txt").string()},
         false,
         "Retrieval error: 404"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        EXPECT_EQ(RunHeadless(c.arguments, c.ignorePositions), HeadlessRun::kStoppedEarly);
        EXPECT_THAT(m_err.str(), ::testing::HasSubstr(c.says));
        EXPECT_THAT(m_err.str(), ::testing::HasSubstr("Saved "));
    }
}

}  // namespace
}  // namespace marlin::testing
