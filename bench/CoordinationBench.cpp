// The frequency coordination: checking a set of 40 carriers with every kind on, and the number
// of carriers the set generator finds in every band in 1 s and in 10 s, beside one greedy
// pass, for three rule sets. The generator runs take their time budget each:
//   coordination_bench --benchmark_filter=Check          the check alone
//   coordination_bench --benchmark_filter='band:34/'     one band, every rule set and budget
#include "bands/BandPlan.h"
#include "coordination/Intermodulation.h"
#include "coordination/SeededRandom.h"
#include "coordination/SetGenerator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using namespace k7;

// 40 channels of band 10 drawn at random: a crowded set, so the check finds and lists many
// conflicts.
std::vector<int> RandomChannels40() {
    const BandPlan band = *BandPlan::ForBand(10);
    SeededRandom random(40);
    std::vector<int> set;
    while (set.size() < 40) {
        const int kHz = band.ChannelAt(random.below(band.ChannelCount()));
        if (std::ranges::find(set, kHz) == set.end()) {
            set.push_back(kHz);
        }
    }
    return set;
}

void BM_CheckConflicts40AllKinds(benchmark::State& state) {
    const std::vector<int> set = RandomChannels40();
    const CoordinationRules rules;
    std::size_t conflicts = 0;
    for (auto _ : state) {
        conflicts = FindConflicts(set, rules).size();
        benchmark::DoNotOptimize(conflicts);
    }
    state.counters["conflicts"] = static_cast<double>(conflicts);
}
BENCHMARK(BM_CheckConflicts40AllKinds)->Unit(benchmark::kMicrosecond);

// A clean verdict walks every product: the largest clean set the generator finds in band 10
// with every kind on (fixed seed and iterations).
void BM_IsCleanGeneratedSetAllKinds(benchmark::State& state) {
    GeneratorOptions options;
    options.iterations = 2000;
    options.timeBudgetMicros = 0;
    const std::vector<int> set = GenerateSet(*BandPlan::ForBand(10), options).carriers;
    bool clean = false;
    for (auto _ : state) {
        clean = IsClean(set, options.rules);
        benchmark::DoNotOptimize(clean);
    }
    state.counters["carriers"] = static_cast<double>(set.size());
    state.counters["clean"] = clean ? 1 : 0;
}
BENCHMARK(BM_IsCleanGeneratedSetAllKinds)->Unit(benchmark::kMicrosecond);

struct RuleSet {
    const char* name;
    CoordinationRules rules;
};

constexpr RuleSet kRuleSets[] = {
    {"spacing350+im3-100", {350, 100, 0, 0}},
    {"spacing350+im3-100+im3x3-50", {350, 100, 50, 0}},
    {"all-defaults", {}},
};

void GenerateFor(benchmark::State& state, int code, CoordinationRules rules, int seconds) {
    const BandPlan band = *BandPlan::ForBand(code);
    GeneratorOptions options;
    options.rules = rules;
    options.timeBudgetMicros = std::int64_t{seconds} * 1'000'000;
    GeneratorResult result;
    for (auto _ : state) {
        result = GenerateSet(band, options);
    }
    state.counters["carriers"] = static_cast<double>(result.carriers.size());
    state.counters["greedy"] = static_cast<double>(result.greedy);
    state.counters["iterations"] = static_cast<double>(result.iterations);
}

} // namespace

int main(int argc, char** argv) {
    for (const int code : BandPlan::CodesWithLimits()) {
        for (const RuleSet& set : kRuleSets) {
            for (const int seconds : {1, 10}) {
                const std::string name = "GenerateSet/band:" + std::to_string(code) + "/" +
                                         set.name + "/" + std::to_string(seconds) + "s";
                benchmark::RegisterBenchmark(name.c_str(), GenerateFor, code, set.rules, seconds)
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
