// The permutation test on the USD/JPY sample: LREG + ROC with 1,000
// permutations (target 90 s on two cores) and MACD + ROC with 200 (target
// 3 min), with the process's peak memory (target 200 MB whatever P is); and
// one build on one thread as the builder runs it without statistics beside
// one permuted build, for the cost per build. The label names the vector
// instructions the build was compiled for.
#include "fixed_workload.h"
#include "robustness/permutation_test.h"
#include "builder/strategy_builder.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The processor time of every thread of the process so far: on a shared
// machine the work itself, whatever else runs beside it.
double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

IndexChoice choiceOf(std::int64_t base, std::int64_t second) {
    return {static_cast<StudyKind>(base), true, static_cast<StudyKind>(second), false, std::nullopt};
}

// Arguments: base kind, filter kind, P. The report's context names the
// vector target the searches dispatched to.
void BM_PermutationTest(benchmark::State& state) {
    const ProductRegistry registry = bench::workloadHistory(name);
    PermutationTestOptions options;
    options.build.choice = choiceOf(state.range(0), state.range(1));
    options.permutations = state.range(2);
    const double cpuBefore = processSeconds();
    for (auto _ : state) benchmark::DoNotOptimize(runPermutationTest(registry, name, options));
    const double builds = static_cast<double>(state.iterations() * (options.permutations + 1));
    state.counters["s_per_build"] = benchmark::Counter(builds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cpu_s_per_build"] = (processSeconds() - cpuBefore) / builds;
    state.counters["peak_MB"] = peakMegabytes();
}

// A normal build without statistics on one thread. Arguments: base, filter kind.
void BM_PlainBuildOneThread(benchmark::State& state) {
    const ProductRegistry loaded = bench::workloadHistory(name);
    BuildOptions options;
    options.robustness = false;
    options.threads = 1;
    for (auto _ : state) {
        state.PauseTiming();
        ProductRegistry registry = loaded;
        state.ResumeTiming();
        benchmark::DoNotOptimize(buildStrategy(registry, name,
                                               choiceOf(state.range(0), state.range(1)),
                                               options));
    }
}

// One permuted history made and built, as each worker of the test does it.
void BM_PermutedBuildOneThread(benchmark::State& state) {
    const ProductRegistry loaded = bench::workloadHistory(name);
    const Product& product = *loaded.findProduct(name);
    const HistoryMoves moves = *historyMoves(product);
    PermutationBuild build;
    build.choice = choiceOf(state.range(0), state.range(1));
    WorkControl oneThread;
    oneThread.threads = 1;
    std::uint64_t k = 0;
    for (auto _ : state) {
        ProductRegistry history = permutedHistory(product, moves, 1, ++k);
        benchmark::DoNotOptimize(permutedBuildReturns(history, name, build, oneThread));
    }
}

BENCHMARK(BM_PlainBuildOneThread)->Args({10, 9})->Args({5, 9})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PermutedBuildOneThread)->Args({10, 9})->Args({5, 9})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PermutationTest)
    ->Args({10, 9, 1000})
    ->Args({5, 9, 200})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
