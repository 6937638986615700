#pragma once
// A console reporter that keeps each benchmark's median, so a program can
// print its ratio to the baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kwbench {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                Medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // The median of a benchmark; 0 when it did not run (filtered out).
    double Median(const std::string& name) const
    {
        const auto found = Medians.find(name);
        return found == Medians.end() ? 0.0 : found->second;
    }
    std::map<std::string, double> Medians;
};

// Times only timed(object) on a fresh object each iteration: making it
// (with prepare) and freeing it stay outside the figure.
template <class Make, class Timed, class Prepare>
void TimeOnFresh(benchmark::State& state, Make make, Timed timed, Prepare prepare)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto object = make();
        prepare(*object);
        state.ResumeTiming();
        timed(*object);
        state.PauseTiming();
        object.reset();
        state.ResumeTiming();
    }
}
template <class Make, class Timed>
void TimeOnFresh(benchmark::State& state, Make make, Timed timed)
{
    TimeOnFresh(state, make, timed, [](auto&) {});
}

} // namespace kwbench
