#pragma once

// The main window against the emulator with short HTTP time-outs, and the faults the
// service can throw at a running workflow: those the emulator injects itself, a token
// the service stops accepting (401) and a window it declares spent (429).

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "window_harness.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {

// What goes wrong in the middle of a retrieval.
enum class ServiceFault {
    Dropped,      // the connection closes without an answer
    Stalled,      // no answer before the client's time-out
    NoLimit,      // a 200 without x-rate-limit-limit
    NoRemaining,  // a 200 without x-rate-limit-remaining
    NoReset,      // a 200 without x-rate-limit-reset
    HtmlPage,     // a 200 whose body is a captive portal's HTML
    CutPage,      // a 200 cut short by the connection's end, with no Content-Length to tell
    DeepPage,     // a 200 nested deeper than any service page
    ManyRecords,  // a 200 with more records than any page holds
    Error500,
    Error503,
    Unauthorized,  // the service stops accepting the token: 401 from then on
    RateLimited,   // the window is spent: 429 from then on
};

std::string FaultName(ServiceFault fault);
// The fault's name as the name of a parameterised test.
std::string FaultTestName(const ::testing::TestParamInfo<ServiceFault>& info);
// The faults the client treats as errors of the exchange, which it offers to retry.
bool AsksToRetry(ServiceFault fault);
// The exchange errors a retry mends: the request is sent again. A missing header is read
// again from the same answer, which cannot mend it.
const std::vector<ServiceFault>& ExchangeFaults();
const std::vector<ServiceFault>& StatusFaults();

class FaultTest : public WindowHarness {
  protected:
    // Long enough for any loopback answer, short enough that a stall costs little.
    static constexpr std::chrono::milliseconds kTimeout{1500};
    static constexpr int kStallSeconds = 3;

    static constexpr const char* kSearchRetryText =
        "SKD is having trouble accessing the API server. Try again?";
    static constexpr const char* kRetryText = "SKD is having trouble contacting the server. Try again?";

    // A few hundred tweets a day and enough accounts for several follower pages and
    // several look-up batches.
    static emulator::EmulatorConfig Corpus();

    // Starts the emulator and the window, with the scorer installed and the main client
    // authenticated.
    void Start();

    // From now on the next request of the family meets the fault (for 401 and 429 every
    // request does, until Heal).
    void Inject(ServiceFault fault, emulator::Family family);
    // The service works again.
    void Heal(emulator::Family family);
    // Injects the fault once, the first time `ready` holds while the window lets events
    // run, that is in the middle of the workflow after its first page arrived.
    void InjectWhen(std::function<bool()> ready, ServiceFault fault, emulator::Family family);

    // The retry questions shown, each as "title|text". Other messages (the notice of an
    // empty last page among them) are the workflows' own business.
    std::vector<std::string> Questions() const;
    // Saves the Tweets table to a file of the program folder and returns its bytes.
    std::string SaveTable(const std::string& name);

    // The command line against the emulator through requests the factory makes, with the
    // service's credentials in its environment and short pauses before a retry.
    HeadlessRun::Setup CommandLineSetup(HttpRequestFactory factory);

  private:
    HttpRequestFactory Factory();

    std::shared_ptr<std::atomic<bool>> m_revoked = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace marlin::testing
