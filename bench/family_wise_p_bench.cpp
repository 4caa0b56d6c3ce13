// The family-wise p-values of a scan on its own: a whole scan's family (284
// combinations: 71 on each of four products) with 200 and 10,000 permuted
// histories, and a small family with a million, with the process's peak
// memory. The cost is meant to be one sort per combination, O(C P log P),
// and the memory beyond the returns O(P).
#include "robustness/family_wise_p.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <random>
#include <vector>

namespace {

using namespace varkel;

// Arguments: combinations C, permuted histories P.
void BM_FamilyWisePValues(benchmark::State& state) {
    const auto combinations = static_cast<std::size_t>(state.range(0));
    const auto permutations = static_cast<std::size_t>(state.range(1));
    std::mt19937_64 random(34);
    std::normal_distribution<double> normal;
    std::vector<double> real(combinations);
    std::vector<std::vector<double>> permuted(combinations, std::vector<double>(permutations));
    for (std::size_t c = 0; c < combinations; ++c) {
        real[c] = normal(random);
        for (double& r : permuted[c]) r = normal(random);
    }
    for (auto _ : state) benchmark::DoNotOptimize(familyWisePValues(real, permuted));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["ns_per_return"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(combinations * permutations),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_FamilyWisePValues)
    ->Args({284, 200})
    ->Args({284, 10000})
    ->Args({20, 1000000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
