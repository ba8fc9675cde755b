// The frequency coordination: checking a set of 40 carriers with every kind on, and the number
// of carriers the set generator finds in every band in 1 s and in 10 s, beside one greedy
// pass, for three rule sets; the largest sets known for four bands and rule sets, searched for
// 1 s each; a rack of bands 34 and 36. The generator runs take their time budget each:
//   coordination_bench --benchmark_filter=Check          the check alone
//   coordination_bench --benchmark_filter='band:34/'     one band, every rule set and budget
//   coordination_bench --benchmark_filter=Known          the largest known sets in 1 s
//   coordination_bench --benchmark_filter=Rack           the rack of two bands
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

// A search of 1 s with the default seed for 99 carriers: carriers is what it found, known the
// largest clean set known (the optimum for band 14).
void GenerateKnown(benchmark::State& state, int code, CoordinationRules rules, int known) {
    GeneratorOptions options;
    options.rules = rules;
    options.target = 99;
    GeneratorResult result;
    for (auto _ : state) {
        result = GenerateSet(*BandPlan::ForBand(code), options);
    }
    state.counters["carriers"] = static_cast<double>(result.carriers.size());
    state.counters["known"] = known;
    state.counters["iterations"] = static_cast<double>(result.iterations);
}

// Bands 34 and 36 side by side, 20 rows each, for 1 s.
void GenerateRack(benchmark::State& state, CoordinationRules rules) {
    std::vector<CoordinationSlot> rackSlots(20, CoordinationSlot{*BandPlan::ForBand(34), {}});
    rackSlots.insert(rackSlots.end(), 20, CoordinationSlot{*BandPlan::ForBand(36), {}});
    GeneratorOptions options;
    options.rules = rules;
    options.backups = 4;
    GeneratorResult result;
    for (auto _ : state) {
        result = GenerateSet(rackSlots, options);
    }
    state.counters["carriers"] = static_cast<double>(result.carriers.size());
    state.counters["backups"] = static_cast<double>(result.backups.size());
    state.counters["iterations"] = static_cast<double>(result.iterations);
}

} // namespace

int main(int argc, char** argv) {
    const CoordinationRules twoTx{350, 100, 0, 0};
    struct Known {
        const char* name;
        int code;
        CoordinationRules rules;
        int carriers;
    };
    for (const Known& known :
         {Known{"band:14/spacing350+im3-100", 14, twoTx, 23},
          Known{"band:11/spacing350+im3-100", 11, twoTx, 49},
          Known{"band:34/spacing350+im3-100", 34, twoTx, 44},
          Known{"band:34/spacing350+im3-50+im3x3-50", 34, {350, 50, 50, 0}, 23}}) {
        benchmark::RegisterBenchmark((std::string("Known/") + known.name + "/1s").c_str(),
                                     GenerateKnown, known.code, known.rules, known.carriers)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    for (const RuleSet& set : kRuleSets) {
        benchmark::RegisterBenchmark((std::string("Rack/34:20+36:20/") + set.name + "/1s").c_str(),
                                     GenerateRack, set.rules)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
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
