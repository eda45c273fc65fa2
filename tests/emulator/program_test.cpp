#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "emulator/emulator.h"
#include "emulator_client.h"
#include "test_support.h"

extern char** environ;

namespace marlin::emulator::testing {
namespace {

// ---- the request log ------------------------------------------------------------------------------------

TEST(RequestLogTest, KeepsMethodTargetParametersHeadersAndBody) {
    Emulator emulator(testing::SmallConfig());
    emulator.Start();
    EmulatorClient client(emulator);
    client.PostToken(emulator.BasicCredentials(), "/oauth2/token", "grant_type=client_credentials");
    client.Get("/1.1/search/tweets.json?q=marlin%20AND%20twitter&count=100");
    auto log = emulator.Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].path, "/oauth2/token");
    EXPECT_EQ(log[0].body, "grant_type=client_credentials");
    EXPECT_EQ(log[0].Header("authorization"), emulator.BasicCredentials());
    EXPECT_EQ(log[1].method, "GET");
    EXPECT_EQ(log[1].target, "/1.1/search/tweets.json?q=marlin%20AND%20twitter&count=100");
    EXPECT_EQ(log[1].path, "/1.1/search/tweets.json");
    EXPECT_EQ(log[1].Param("q"), "marlin AND twitter");
    EXPECT_EQ(log[1].Param("count"), "100");
    EXPECT_EQ(log[1].Header("User-Agent"), "Marlin Test");
    EXPECT_EQ(log[1].Header("Authorization"), "Bearer " + client.Token());
    EXPECT_FALSE(log[1].HasHeader("REMOTE_ADDR"));
    emulator.ClearRequests();
    EXPECT_TRUE(emulator.Requests().empty());
}

// ---- configuration --------------------------------------------------------------------------------------

TEST(CommandLineTest, ReadsEveryOption) {
    bool help = true;
    EmulatorConfig c = ParseCommandLine({"--host",
                                         "0.0.0.0",
                                         "--port",
                                         "8123",
                                         "--seed",
                                         "42",
                                         "--users",
                                         "500",
                                         "--tweets-per-day",
                                         "900",
                                         "--days",
                                         "12",
                                         "--search-days",
                                         "5",
                                         "--now",
                                         "1667900000",
                                         "--window",
                                         "60",
                                         "--limit",
                                         "search=180",
                                         "--remaining",
                                         "lookup=3",
                                         "--app-name",
                                         "My App",
                                         "--consumer-key",
                                         "k",
                                         "--consumer-secret",
                                         "s",
                                         "--fault",
                                         "search:close:2",
                                         "--fault",
                                         "timeline:503:0.25",
                                         "--fault",
                                         "ids:stall:1:4",
                                         "--limit",
                                         "friend-ids=5",
                                         "--remaining",
                                         "limit-status=7",
                                         "--long-texts",
                                         "0.5",
                                         "--photos",
                                         "1",
                                         "--short-pages",
                                         "0"},
                                        &help);
    EXPECT_FALSE(help);
    EXPECT_EQ(c.host, "0.0.0.0");
    EXPECT_EQ(c.port, 8123);
    EXPECT_EQ(c.seed, 42u);
    EXPECT_EQ(c.users, 500);
    EXPECT_EQ(c.tweetsPerDay, 900);
    EXPECT_EQ(c.corpusDays, 12);
    EXPECT_EQ(c.searchIndexDays, 5);
    EXPECT_EQ(c.now, 1667900000);
    EXPECT_EQ(c.windowSeconds, 60);
    EXPECT_EQ(c.limits[static_cast<int>(Family::Search)], 180);
    EXPECT_EQ(c.startRemaining[static_cast<int>(Family::UsersLookup)], 3);
    EXPECT_EQ(c.appName, "My App");
    EXPECT_EQ(c.consumerKey, "k");
    EXPECT_EQ(c.consumerSecret, "s");
    ASSERT_EQ(c.faults.size(), 3u);
    EXPECT_EQ(c.faults[0].fault, Fault::CloseConnection);
    EXPECT_EQ(c.faults[0].count, 2);
    EXPECT_EQ(c.faults[1].family, Family::UserTimeline);
    EXPECT_DOUBLE_EQ(c.faults[1].fraction, 0.25);
    EXPECT_EQ(c.faults[2].stallSeconds, 4);
    EXPECT_EQ(c.limits[static_cast<int>(Family::FriendIds)], 5);
    EXPECT_EQ(c.startRemaining[static_cast<int>(Family::RateLimitStatus)], 7);
    EXPECT_DOUBLE_EQ(c.longTextShare, 0.5);
    EXPECT_DOUBLE_EQ(c.photoShare, 1.0);
    EXPECT_DOUBLE_EQ(c.shortPageShare, 0.0);
    ParseCommandLine({"--help"}, &help);
    EXPECT_TRUE(help);
    for (const char* documented : {"--long-texts", "--photos", "--short-pages", "friend-ids", "limit-status"})
        EXPECT_NE(CommandLineHelp().find(documented), std::string::npos) << documented;
    EXPECT_EQ(EmulatorConfig().host, "127.0.0.1");  // loopback unless asked
}

TEST(CommandLineTest, RefusesWhatItCannotRead) {
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"--port", "70000"},
                                               {"--port"},
                                               {"--users", "ten"},
                                               {"--limit", "search"},
                                               {"--limit", "moon=3"},
                                               {"--fault", "search:explode:1"},
                                               {"--fault", "search:500:1.5"},
                                               {"--photos", "1.5"},
                                               {"--short-pages", "-0.1"},
                                               {"--long-texts", "some"},
                                               {"--cert", "a.pem"},
                                               {"--colour", "red"}}) {
        EXPECT_THROW(ParseCommandLine(args), std::invalid_argument) << args[0];
    }
}

// ---- the program ----------------------------------------------------------------------------------------

struct Program {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Program Launch(const std::vector<std::string>& args) {
    Program p;
    std::string path = (marlin::testing::BuiltAppFolder() / "marlin-emulator").string();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return p;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv{path.data()};
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&p.pid, path.c_str(), &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    p.out = fdopen(pipeEnds[0], "r");
    return p;
}

std::string ReadLine(FILE* in) {
    char buffer[512];
    return fgets(buffer, sizeof buffer, in) ? std::string(buffer) : "";
}

int WaitForExit(pid_t pid) {
    int status = 0;
    for (int k = 0; k < 200; ++k) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -2;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(marlin::testing::BuiltAppFolder() / "marlin-emulator"))
            GTEST_SKIP() << "marlin-emulator is not built";
    }
};

TEST_F(ProgramTest, PrintsItsPortAndCredentialsServesAndStopsOnEitherSignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        Program p = Launch({"--port", "0", "--users", "300", "--tweets-per-day", "500", "--consumer-key",
                            "ck", "--consumer-secret", "cs"});
        ASSERT_GT(p.pid, 0);
        int port = std::atoi(ReadLine(p.out).c_str());
        ASSERT_GT(port, 0);
        std::string rest;
        for (int k = 0; k < 4; ++k) rest += ReadLine(p.out);
        EXPECT_NE(rest.find("consumer key: ck"), std::string::npos) << rest;
        EXPECT_NE(rest.find("consumer secret: cs"), std::string::npos);

        httplib::Client client("127.0.0.1", port);
        auto token =
            client.Post("/oauth2/token?grant_type=client_credentials",
                        httplib::Headers{{"Authorization", "Basic Y2s6Y3M="}}, "", "text/plain");  // ck:cs
        ASSERT_TRUE(token);
        EXPECT_EQ(token->status, 200);
        kill(p.pid, signal);
        EXPECT_EQ(WaitForExit(p.pid), 0);
        fclose(p.out);
    }
}

TEST_F(ProgramTest, ABadOptionEndsTheProgramWithAMessage) {
    Program p = Launch({"--port", "nope"});
    ASSERT_GT(p.pid, 0);
    EXPECT_EQ(WaitForExit(p.pid), 2);
    EXPECT_EQ(ReadLine(p.out), "");
    fclose(p.out);
}

// ---- HTTPS ----------------------------------------------------------------------------------------------

TEST(HttpsTest, ServesOverTlsWithAGivenCertificate) {
    marlin::testing::TempFolder folder;
    std::string cert = (folder / "cert.pem").string(), key = (folder / "key.pem").string();
    std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=localhost -days 1 -keyout '" +
                          key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no openssl command to make a certificate";
    EmulatorConfig config = testing::SmallConfig();
    config.certFile = cert;
    config.keyFile = key;
    Emulator emulator(config);
    emulator.Start();
    EXPECT_EQ(emulator.BaseUrl().rfind("https://127.0.0.1:", 0), 0u);
    httplib::SSLClient client("127.0.0.1", emulator.Port());
    client.enable_server_certificate_verification(false);
    auto reply = client.Get("/1.1/search/tweets.json?q=data",
                            httplib::Headers{{"Authorization", "Bearer " + emulator.IssueToken()}});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->get_header_value("x-rate-limit-limit"), "450");
}

TEST(HttpsTest, AMissingCertificateIsReportedAtStart) {
    EmulatorConfig config = testing::SmallConfig();
    config.certFile = "/nonexistent/cert.pem";
    config.keyFile = "/nonexistent/key.pem";
    Emulator emulator(config);
    EXPECT_THROW(emulator.Start(), std::runtime_error);
}

}  // namespace
}  // namespace marlin::emulator::testing
