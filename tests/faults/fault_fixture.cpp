#include "fault_fixture.h"

#include <algorithm>

#include "forwarding_request.h"
#include "service/curl_http_request.h"

namespace marlin::testing {

namespace {

// The client's own request, except that once the token is revoked it carries one the
// service never issued: the service then refuses it as it refuses an expired token.
class RevocableRequest : public ForwardingRequest {
  public:
    RevocableRequest(std::unique_ptr<HttpRequest> inner, std::shared_ptr<std::atomic<bool>> revoked)
        : ForwardingRequest(std::move(inner)), m_revoked(std::move(revoked)) {}

    void SetRequestHeader(const std::string& name, const std::string& value) override {
        const bool bearer = name == "Authorization" && value.rfind("Bearer ", 0) == 0;
        Inner().SetRequestHeader(name, bearer && *m_revoked ? "Bearer revoked-token" : value);
    }

  private:
    std::shared_ptr<std::atomic<bool>> m_revoked;
};

}  // namespace

std::string FaultName(ServiceFault fault) {
    switch (fault) {
        case ServiceFault::Dropped:
            return "Dropped";
        case ServiceFault::Stalled:
            return "Stalled";
        case ServiceFault::NoLimit:
            return "NoLimitHeader";
        case ServiceFault::NoRemaining:
            return "NoRemainingHeader";
        case ServiceFault::NoReset:
            return "NoResetHeader";
        case ServiceFault::HtmlPage:
            return "HtmlPage";
        case ServiceFault::CutPage:
            return "CutPage";
        case ServiceFault::DeepPage:
            return "DeepPage";
        case ServiceFault::ManyRecords:
            return "ManyRecords";
        case ServiceFault::Error500:
            return "Status500";
        case ServiceFault::Error503:
            return "Status503";
        case ServiceFault::Unauthorized:
            return "Status401";
        case ServiceFault::RateLimited:
            return "Status429";
    }
    return "Unknown";
}

std::string FaultTestName(const ::testing::TestParamInfo<ServiceFault>& info) {
    return FaultName(info.param);
}

bool AsksToRetry(ServiceFault fault) {
    const auto& faults = ExchangeFaults();
    return std::find(faults.begin(), faults.end(), fault) != faults.end();
}

const std::vector<ServiceFault>& ExchangeFaults() {
    static const std::vector<ServiceFault> faults = {
        ServiceFault::Dropped,     ServiceFault::Stalled,  ServiceFault::NoLimit,
        ServiceFault::NoRemaining, ServiceFault::NoReset,  ServiceFault::HtmlPage,
        ServiceFault::CutPage,     ServiceFault::DeepPage, ServiceFault::ManyRecords};
    return faults;
}

const std::vector<ServiceFault>& StatusFaults() {
    static const std::vector<ServiceFault> faults = {ServiceFault::Error500, ServiceFault::Error503,
                                                     ServiceFault::Unauthorized, ServiceFault::RateLimited};
    return faults;
}

emulator::EmulatorConfig FaultTest::Corpus() {
    emulator::EmulatorConfig config = SmallCorpus();
    config.users = 600;
    return config;
}

HttpRequestFactory FaultTest::Factory() {
    CurlRequestOptions options;
    options.connectTimeout = kTimeout;
    options.totalTimeout = kTimeout;
    HttpRequestFactory curl = CurlHttpRequest::Factory(options);
    return [curl, revoked = m_revoked]() -> std::unique_ptr<HttpRequest> {
        return std::make_unique<RevocableRequest>(curl(), revoked);
    };
}

HeadlessRun::Setup FaultTest::CommandLineSetup(HttpRequestFactory factory) {
    HeadlessRun::Setup setup;
    setup.requestFactory = std::move(factory);
    setup.apiBase = Emu().BaseUrl();
    setup.appFolder = AppFolder();
    setup.getEnv = EmulatorCredentials();
    setup.retryDelays = {20};
    return setup;
}

void FaultTest::Start() {
    StartWindow(Corpus(), true, Factory());
}

void FaultTest::Inject(ServiceFault fault, emulator::Family family) {
    using emulator::Fault;
    switch (fault) {
        case ServiceFault::Dropped:
            return Emu().InjectFault(family, Fault::CloseConnection, 1);
        case ServiceFault::Stalled:
            return Emu().InjectFault(family, Fault::Stall, 1, kStallSeconds);
        case ServiceFault::NoLimit:
            return Emu().InjectFault(family, Fault::OmitLimit, 1);
        case ServiceFault::NoRemaining:
            return Emu().InjectFault(family, Fault::OmitRemaining, 1);
        case ServiceFault::NoReset:
            return Emu().InjectFault(family, Fault::OmitReset, 1);
        case ServiceFault::HtmlPage:
            return Emu().InjectFault(family, Fault::HtmlPage, 1);
        case ServiceFault::CutPage:
            return Emu().InjectFault(family, Fault::CutPage, 1);
        case ServiceFault::DeepPage:
            return Emu().InjectFault(family, Fault::DeepPage, 1);
        case ServiceFault::ManyRecords:
            return Emu().InjectFault(family, Fault::ManyRecords, 1);
        case ServiceFault::Error500:
            return Emu().InjectFault(family, Fault::Error500, 1);
        case ServiceFault::Error503:
            return Emu().InjectFault(family, Fault::Error503, 1);
        case ServiceFault::Unauthorized:
            *m_revoked = true;
            return;
        case ServiceFault::RateLimited:
            return Emu().SetRemaining(family, 0);
    }
}

void FaultTest::Heal(emulator::Family family) {
    Emu().ClearFaults();
    *m_revoked = false;
    Emu().SetRemaining(family, Emu().Config().limits[static_cast<int>(family)]);
}

void FaultTest::InjectWhen(std::function<bool()> ready, ServiceFault fault, emulator::Family family) {
    tk.onDoEvents = [this, ready = std::move(ready), fault, family, done = false]() mutable {
        if (done || !ready()) return;
        done = true;
        Inject(fault, family);
    };
}

std::vector<std::string> FaultTest::Questions() const {
    std::vector<std::string> shown;
    for (const auto& message : tk.messages) {
        if (message.title.rfind("Recoverable error within ", 0) == 0)
            shown.push_back(message.title + "|" + message.text);
    }
    return shown;
}

std::string FaultTest::SaveTable(const std::string& name) {
    const std::filesystem::path path = File(name);
    tk.fileDialogAnswers.push_back(path.string());
    frm->Files().SaveTweetsTable();
    return ReadFileBytes(path);
}

}  // namespace marlin::testing
