// A v2 search capture by the command-line program against Debian's python3-tweepy paging
// the same search with the same expansions, in the same run, from the emulator:
//   our whole process's own CPU per 1,000 posts <= 0.15x tweepy's paging CPU per 1,000;
//   growth: ten times the posts (a corpus ten times as busy) cost at most eleven times the CPU.
// The command line runs in a folder of its own and is measured by wait4 (its own processor
// time, start-up included); tweepy by the processor time of its paging (its imports left out).
// The scorer is an outside Java program tweepy has no part in: the command line runs without
// `java` on its PATH, so it notes the missing scorer and saves the table unscored. Each pair
// alternates which goes first; the figures are given per round with their range.
// Usage: bench_v2_capture [rounds]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "emulator/emulator.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using namespace marlin;

constexpr double kTargetRatio = 0.15;
constexpr double kTargetGrowth = 11.0;

struct Finished {
    bool ok = false;
    double cpu = 0;  // seconds, user and system
    std::string out;
};

// Runs a program, its output into a file of the folder; its processor time from wait4.
Finished RunProgram(const fs::path& folder, std::vector<std::string> argv, std::vector<std::string> env) {
    const fs::path outFile = folder / (fs::path(argv[0]).filename().string() + ".out");
    const fs::path errFile = folder / (fs::path(argv[0]).filename().string() + ".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args, envp;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    Finished finished;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return finished;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return finished;
    finished.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!finished.ok) std::fprintf(stderr, "%s ended with status %d\n", argv[0].c_str(), status);
    finished.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    FILE* file = std::fopen(outFile.c_str(), "rb");
    if (file) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) finished.out.append(buffer, n);
        std::fclose(file);
    }
    return finished;
}

struct Capture {
    double cpu = 0;
    long posts = 0;
};

long Lines(const fs::path& file) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return 0;
    long lines = 0;
    for (int c; (c = std::fgetc(f)) != EOF;) lines += c == '\n' ? 1 : 0;
    std::fclose(f);
    return lines;
}

Capture OurCapture(emulator::Emulator& service, const fs::path& folder) {
    const auto& c = service.Config();
    fs::remove(folder / "t.txt");
    fs::remove(folder / "ledger.sqlite");
    const Finished run =
        RunProgram(folder,
                   {(folder / "marlin-skimmer-cli").string(), "search", service.Queries().common, "--back",
                    "8", "--out", "t.txt", "--api", "v2"},
                   {"PATH=/nonexistent", "HOME=" + folder.string(), "TZ=UTC",
                    "MARLIN_API_BASE=" + service.BaseUrl(), "MARLIN_APP_NAME=" + c.appName,
                    "MARLIN_CONSUMER_KEY=" + c.consumerKey, "MARLIN_CONSUMER_SECRET=" + c.consumerSecret});
    if (!run.ok) return {};
    return {run.cpu, Lines(folder / "t.txt")};
}

Capture TweepyCapture(emulator::Emulator& service, const fs::path& folder) {
    const char* path = std::getenv("PATH");
    const Finished run = RunProgram(
        folder, {"/usr/bin/python3", MARLIN_TWEEPY_SCRIPT, service.BaseUrl(), service.Queries().common},
        {std::string("PATH=") + (path ? path : "/usr/bin"), "PYTHONDONTWRITEBYTECODE=1"});
    long pages = 0, posts = 0;
    double cpu = 0;
    if (!run.ok || std::sscanf(run.out.c_str(), "%ld %ld %lf", &pages, &posts, &cpu) != 3) return {};
    return {cpu, posts};
}

emulator::EmulatorConfig Corpus(int tweetsPerDay) {
    emulator::EmulatorConfig config;
    config.tweetsPerDay = tweetsPerDay;
    for (int& limit : config.limits) limit = 30000;  // within the 16 bits of the quota headers
    return config;
}

double PerThousand(const Capture& c) {
    return c.posts > 0 ? c.cpu / static_cast<double>(c.posts) * 1000.0 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char name[] = "/tmp/marlin-bench-v2-XXXXXX";
    const fs::path folder = mkdtemp(name);
    fs::copy_file(MARLIN_CLI, folder / "marlin-skimmer-cli");

    emulator::Emulator busy(Corpus(33500));
    busy.Start();
    std::vector<double> ratios;
    Capture ours, theirs;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            ours = OurCapture(busy, folder);
            theirs = TweepyCapture(busy, folder);
        } else {
            theirs = TweepyCapture(busy, folder);
            ours = OurCapture(busy, folder);
        }
        if (ours.posts == 0 || theirs.posts == 0) {
            std::printf("round %d failed (ours %ld posts, tweepy %ld posts; see %s)\n", round + 1, ours.posts,
                        theirs.posts, folder.c_str());
            return 1;
        }
        ratios.push_back(PerThousand(ours) / PerThousand(theirs));
        std::printf(
            "round %d: ours %ld posts, %.3f s CPU, %.4f s per 1,000; tweepy %ld posts, %.3f s CPU, "
            "%.4f s per 1,000; ratio %.3f\n",
            round + 1, ours.posts, ours.cpu, PerThousand(ours), theirs.posts, theirs.cpu, PerThousand(theirs),
            ratios.back());
    }
    std::sort(ratios.begin(), ratios.end());
    const double median = ratios[ratios.size() / 2];
    std::printf("v2 capture CPU against tweepy.Client: median %.3f (range %.3f-%.3f), target <= %.2f: %s\n",
                median, ratios.front(), ratios.back(), kTargetRatio,
                median <= kTargetRatio ? "met" : "NOT met");

    // Growth: the same search of a corpus a tenth as busy.
    emulator::Emulator quiet(Corpus(3350));
    quiet.Start();
    double small = 1e9, large = 1e9;
    long smallPosts = 0, largePosts = 0;
    for (int round = 0; round < rounds; ++round) {
        const Capture s = OurCapture(quiet, folder);
        const Capture l = OurCapture(busy, folder);
        if (s.cpu > 0 && s.cpu < small) small = s.cpu, smallPosts = s.posts;
        if (l.cpu > 0 && l.cpu < large) large = l.cpu, largePosts = l.posts;
    }
    quiet.Stop();
    busy.Stop();
    const double growth = large / small;
    std::printf(
        "growth: %ld posts %.3f s, %ld posts %.3f s (best of %d): %.1fx the posts cost %.2fx the CPU, "
        "target <= %.0fx for 10x: %s\n",
        smallPosts, small, largePosts, large, rounds, static_cast<double>(largePosts) / smallPosts, growth,
        kTargetGrowth, growth <= kTargetGrowth ? "met" : "NOT met");
    fs::remove_all(folder);
    return 0;
}
