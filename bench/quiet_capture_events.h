#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "workspace/engine/capture_events.h"

// Watches nothing (BENCH_LOG=1 prints the log): a benchmark measures the capture, not a log,
// and answers every question with No.
class QuietCaptureEvents : public marlin::CaptureEvents {
  public:
    void Log(const std::string& line) override {
        if (std::getenv("BENCH_LOG")) std::fprintf(stderr, "%s\n", line.c_str());
    }
    void Progress(const std::string&) override {}
    void Aside(const std::string&) override {}
    void RecordsAdded(int) override {}
    bool Ask(const Question&) override { return false; }
    void Tell(const std::string&, Notice, const std::string&) override {}
    void Ended(marlin::CaptureOutcome) override {}
};
