// The command line's exports of a saved tweet table file of 1,000,000 rows, each run in a
// process of its own and measured by its own CPU time and peak memory (wait4), beside
// pandas reading the same file and writing it as CSV in the same run:
//   export-csv:  CPU <= 0.1x pandas read_csv + to_csv, peak <= 64 MiB
//   export-xlsx: <= 8 s, peak <= 64 MiB
//   growth: ten times the rows cost at most eleven times the CPU (100,000 against 1,000,000)
// Each figure is the best of three runs. Usage: bench_table_exports [rows]; with
// MARLIN_BENCH_BEFORE naming another build of the command line, its exports are run too.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    bool ok = false;
    double cpu = 0, wall = 0, peakMiB = 0;
};

// A table file of rows as a search leaves them: texts of 40-110 characters, a tenth of them
// retweets, a few Windows-1252 letters, links and descriptions on some rows.
void WriteTableFile(const fs::path& file, int rows) {
    const char* words[] = {"data",  "the",   "research", "great", "awful", "today", "news", "city",
                           "match", "happy", "sad",      "sci",   "open",  "good",  "bad",  "caf\xE9"};
    std::ofstream out(file, std::ios::binary);
    std::string text;
    unsigned seed = 2024;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < rows; ++i) {
        const unsigned user = next() % 20000;
        std::string tweet = (i % 10 == 0) ? "RT @user" + std::to_string(next() % 500) + ":" : "";
        const unsigned count = 6 + next() % 10;
        for (unsigned w = 0; w < count; ++w) {
            if (!tweet.empty()) tweet += ' ';
            tweet += words[next() % 16];
        }
        if (i % 5 == 0) tweet += " #Topic" + std::to_string(next() % 50);
        const int second = i % 60, minute = (i / 60) % 60, hour = (i / 3600) % 24;
        char date[40];
        std::snprintf(date, sizeof date, "Wed Aug 27 %02d:%02d:%02d +0000 2014", hour, minute, second);
        text += std::string(date) + "\tuser" + std::to_string(user) + "\t" + tweet + "\t" +
                std::to_string(500000000000000000ull + static_cast<unsigned long long>(i) * 7919ull) +
                "\tName " + std::to_string(user) + "\t" + std::to_string(next() * 37 % 2000000) + "\t" +
                std::to_string(next() % 5000) + "\tTown\t0\t" + (i % 7 == 0 ? "51.5,-0.12" : "null") + "\t" +
                std::to_string(next() % 90000) + "\t" + std::to_string(next() % 300) + "\t" +
                (i % 3 == 0 ? "http://example.com/" + std::to_string(i) : "") + "\t" +
                std::to_string(1 + next() % 5) + "\t-" + std::to_string(1 + next() % 5) + "\t" +
                (i % 4 == 0 ? "Researcher of things." : "") + "\t\r\n";
        if (text.size() > (1 << 20)) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// The program run in a process of its own: its CPU (its children's included), its wall
// time and its peak resident memory.
Run RunProgram(const std::vector<std::string>& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

Run Best(const std::vector<std::string>& arguments, int times = 3) {
    Run best;
    best.cpu = 1e9;
    for (int k = 0; k < times; ++k) {
        const Run run = RunProgram(arguments);
        if (!run.ok) return run;
        if (run.cpu < best.cpu) best = run;
    }
    return best;
}

std::vector<std::string> Pandas(const fs::path& table, const fs::path& csv) {
    return {"/usr/bin/python3", "-c",
            "import sys,csv,pandas\n"
            "t=pandas.read_csv(sys.argv[1],sep='\\t',dtype=str,header=None,quoting=csv.QUOTE_NONE,"
            "encoding='cp1252',keep_default_na=False)\n"
            "t.to_csv(sys.argv[2],index=False,quoting=csv.QUOTE_ALL,encoding='utf-8-sig',lineterminator='"
            "\\r\\n')\n",
            table.string(), csv.string()};
}

void Print(const char* what, const Run& run) {
    std::printf("  %-44s cpu %7.3f s  wall %7.3f s  peak %7.1f MiB%s\n", what, run.cpu, run.wall, run.peakMiB,
                run.ok ? "" : "  ** FAILED **");
}

void Verdict(const char* what, double value, const char* unit, double target) {
    std::printf("  %-44s %8.3f %s  target <= %g %s  %s\n", what, value, unit, target, unit,
                value <= target ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int smaller = rows / 10;
    char pattern[] = "/tmp/marlin-bench-exports-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    const fs::path big = folder / "big.txt", small = folder / "small.txt";
    WriteTableFile(big, rows);
    WriteTableFile(small, smaller);
    std::printf("Tweet table file of %d rows (%.1f MiB); the growth against %d rows\n", rows,
                static_cast<double>(fs::file_size(big)) / (1 << 20), smaller);

    const std::string cli = MARLIN_CLI;
    const Run csv = Best({cli, "export-csv", big.string(), "--out", (folder / "big.csv").string()});
    const Run csvSmall = Best({cli, "export-csv", small.string(), "--out", (folder / "small.csv").string()});
    const Run pandas = Best(Pandas(big, folder / "pandas.csv"), 1);
    const Run xlsx = Best({cli, "export-xlsx", big.string(), "--out", (folder / "big.xlsx").string()});
    const Run xlsxSmall =
        Best({cli, "export-xlsx", small.string(), "--out", (folder / "small.xlsx").string()});

    Print("export-csv", csv);
    Print("export-csv, a tenth of the rows", csvSmall);
    Print("pandas read_csv + to_csv (peer)", pandas);
    Print("export-xlsx", xlsx);
    Print("export-xlsx, a tenth of the rows", xlsxSmall);
    if (const char* before = std::getenv("MARLIN_BENCH_BEFORE")) {
        Print("export-csv, the other build",
              Best({before, "export-csv", big.string(), "--out", (folder / "before.csv").string()}, 1));
        Print("export-xlsx, the other build",
              Best({before, "export-xlsx", big.string(), "--out", (folder / "before.xlsx").string()}, 1));
    }
    if (pandas.ok && pandas.cpu > 0) Verdict("export-csv CPU / pandas CPU", csv.cpu / pandas.cpu, "x", 0.1);
    Verdict("export-csv peak memory", csv.peakMiB, "MiB", 64);
    Verdict("export-csv growth (10x rows)", csv.cpu / std::max(csvSmall.cpu, 1e-3), "x", 11);
    Verdict("export-xlsx wall time", xlsx.wall, "s", 8);
    Verdict("export-xlsx peak memory", xlsx.peakMiB, "MiB", 64);
    Verdict("export-xlsx growth (10x rows)", xlsx.cpu / std::max(xlsxSmall.cpu, 1e-3), "x", 11);
    std::error_code ignored;
    if (!std::getenv("MARLIN_BENCH_KEEP")) fs::remove_all(folder, ignored);
    return 0;
}
