// The scan on the USD/JPY workload: all 71 combinations without permutations
// beside its five base searches alone (target: at most 1.5 times their time),
// and with P permutations (target for 200: 15 minutes on two AVX2 cores,
// peak memory under 500 MB), each with the ratio to the base searches timed
// in the same process. The report's context names the vector target the
// searches dispatched to (--vector-target=AVX2 to measure an AVX2 machine).
#include "bench_options.h"
#include "fixed_workload.h"
#include "robustness/scan.h"
#include "search/layer_search.h"
#include "studies/study_catalogue.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <string>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The builder's search of each base layer alone, as a build of that base runs it.
void searchFiveBases(const Product& product) {
    LayerSearchSettings settings;
    settings.threads = bench::threads();
    for (const StudyInfo* base : baseStudies())
        benchmark::DoNotOptimize(searchLayers(product, {base->kind, false, std::nullopt, false, std::nullopt}, settings));
}

// The processor time of every thread of the process so far: on a shared
// machine the work itself, whatever else runs beside it.
double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double secondsOf(const auto& work) {
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void BM_FiveBaseSearches(benchmark::State& state) {
    const ProductRegistry registry = bench::workloadHistory(name);
    for (auto _ : state) searchFiveBases(*registry.findProduct(name));
}

// Argument: P. Counters: the ratio of one scan to the five base searches
// (timed once before it), in elapsed time and in processor time (all
// threads; on a busy machine the steadier of the two), the processor seconds
// of one scan per history built (the real one and each permuted one: the
// figure to extrapolate from), and the process's peak memory.
void BM_ScanAllCombinations(benchmark::State& state) {
    const ProductRegistry registry = bench::workloadHistory(name);
    const Product& product = *registry.findProduct(name);
    ScanOptions options;
    options.threads = bench::threads();
    options.permutations = state.range(0);
    const double cpuBases = processSeconds();
    const double bases = secondsOf([&] { searchFiveBases(product); });
    double scans = 0.0;
    const double cpuBefore = processSeconds();
    for (auto _ : state) scans += secondsOf([&] { benchmark::DoNotOptimize(runScan({&product}, options)); });
    const double cpuScans = processSeconds() - cpuBefore;
    state.counters["cpu_s_per_history"] =
        cpuScans / static_cast<double>(state.iterations() * (options.permutations + 1));
    state.counters["cpu_ratio_to_bases"] = cpuScans / static_cast<double>(state.iterations()) / (cpuBefore - cpuBases);
    state.counters["combinations"] = static_cast<double>(scanCombinations().size());
    state.counters["ratio_to_bases"] = scans / static_cast<double>(state.iterations()) / bases;
    state.counters["peak_MB"] = peakMegabytes();
}

BENCHMARK(BM_FiveBaseSearches)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ScanAllCombinations)->Arg(0)->Arg(4)->Arg(200)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
