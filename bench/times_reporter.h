// Prints Google Benchmark's usual table and keeps each benchmark's wall and
// CPU time per iteration, in nanoseconds, so a program can print ratios
// against the baseline it measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace velmap::bench {

class TimesReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> real_ns, cpu_ns;  // by benchmark name ("Name/arg")

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations <= 0 || r.error_occurred) continue;
            const double to_ns = 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            real_ns[r.benchmark_name()] = r.GetAdjustedRealTime() * to_ns;
            cpu_ns[r.benchmark_name()] = r.GetAdjustedCPUTime() * to_ns;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The usual benchmark main: parses the flags, runs what they select into
    // this reporter. False on an unknown flag.
    bool RunAll(int* argc, char** argv) {
        benchmark::Initialize(argc, argv);
        if (benchmark::ReportUnrecognizedArguments(*argc, argv)) return false;
        benchmark::RunSpecifiedBenchmarks(this);
        benchmark::Shutdown();
        return true;
    }

    // 0 when the benchmark did not run (filtered out or failed).
    static double Get(const std::map<std::string, double>& times, const std::string& name) {
        auto it = times.find(name);
        return it == times.end() ? 0.0 : it->second;
    }
};

}  // namespace velmap::bench
