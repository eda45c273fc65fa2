// A quota window said to reset in the year 2100.

#include <gmock/gmock.h>

#include "fault_fixture.h"
#include "forwarding_request.h"
#include "service/curl_http_request.h"

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;

// Every answer spent, its window said to reset in 2100.
class HostileRequest : public ForwardingRequest {
  public:
    using ForwardingRequest::ForwardingRequest;
    std::string GetResponseHeader(const std::string& name) override {
        if (name == "x-rate-limit-reset") return "4102444800";
        if (name == "x-rate-limit-remaining") return "0";
        return Inner().GetResponseHeader(name);
    }
};

class HostileAnswerTest : public FaultTest {
  protected:
    void SetUp() override {
        Start();
        HttpRequestFactory curl = CurlHttpRequest::Factory({});
        frm = std::make_unique<frmMain>(
            tk, [curl] { return std::make_unique<HostileRequest>(curl()); }, Emu().BaseUrl(),
            File("x").parent_path());
        const emulator::EmulatorConfig& config = Emu().Config();
        ASSERT_FALSE(W().Engine.Client()
                         .AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret)
                         .empty());
    }
};

TEST_F(HostileAnswerTest, AResetYearsAheadIsWaitedForOneWindowWithItsLogLines) {
    frm->Session().SetWaitForQuota(true);
    std::string countdown;
    tk.onDoEvents = [this, &countdown] {
        const std::string panel = W().InfoBar.Panel(3);
        if (!panel.starts_with("Waiting for the next search window: ")) return;
        countdown = panel.substr(panel.rfind(' ') + 1);
        frm->QuitGet_Click();
    };
    TweetCtl().SearchQuery.SetText("data");
    frm->Search().GetSrch_Click();

    ASSERT_FALSE(countdown.empty()) << ::testing::PrintToString(LogLines());
    EXPECT_LE(std::stoi(countdown), 15) << countdown;  // minutes left of one window, not 75 years
    const std::string log = ::testing::PrintToString(LogLines());
    EXPECT_THAT(log, HasSubstr("more than one window ahead: waiting one window (15 minutes) instead"));
    EXPECT_THAT(log, HasSubstr("Waiting until "));
}

}  // namespace
}  // namespace marlin::testing
