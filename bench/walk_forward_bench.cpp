// Walk-forward on the USD/JPY sample (train 1000, test 250: 15 folds) for
// every base kind and every filter, and the fold-by-fold loop of normal builds
// it replaces, for the ratio.
#include "bench_options.h"

#include "data/price_file.h"
#include "fixed_workload.h"
#include "robustness/history_cut.h"
#include "builder/strategy_builder.h"
#include "robustness/walk_forward.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

ProductRegistry sample() {
    ProductRegistry registry;
    registry.addProduct(name);
    loadPriceFile(registry, name, bench::workloadPath());
    return registry;
}

// A base and a 2nd index by their kind codes, -999 for none.
IndexChoice choiceOf(int base, int second) {
    if (second == -999) return {static_cast<StudyKind>(base)};
    return {static_cast<StudyKind>(base), true, static_cast<StudyKind>(second)};
}

void walkForward(benchmark::State& state, int base, int second) {
    const ProductRegistry registry = sample();
    WalkForwardOptions options;
    options.threads = bench::threads();
    for (auto _ : state) benchmark::DoNotOptimize(runWalkForward(registry, name, choiceOf(base, second), options));
}

// What a walk-forward would cost built from normal builds, one per fold, each
// on the history cut before the fold's test window (the anchored definition).
void foldByFoldBuilds(benchmark::State& state, int base, int second) {
    const ProductRegistry registry = sample();
    const Product& product = *registry.findProduct(name);
    for (auto _ : state) {
        for (const Fold& fold : planFolds(product.historyLength(), {}).folds) {
            ProductRegistry cut = historyCutAt(product, fold.testFrom);
            benchmark::DoNotOptimize(buildStrategy(cut, name, choiceOf(base, second)));
        }
    }
}

void BM_WalkForwardMacdRoc(benchmark::State& s) { walkForward(s, 5, 9); }
void BM_WalkForwardMacd(benchmark::State& s) { walkForward(s, 5, -999); }
void BM_WalkForwardLreg(benchmark::State& s) { walkForward(s, 10, -999); }
void BM_WalkForwardTsc(benchmark::State& s) { walkForward(s, 8, -999); }
void BM_WalkForwardStochastics(benchmark::State& s) { walkForward(s, 12, -999); }
void BM_WalkForwardKeltner(benchmark::State& s) { walkForward(s, 13, -999); }
void BM_WalkForwardMacdLreg(benchmark::State& s) { walkForward(s, 5, 10); }
void BM_WalkForwardMacdTsc(benchmark::State& s) { walkForward(s, 5, 8); }
void BM_WalkForwardMacdNdist(benchmark::State& s) { walkForward(s, 5, 11); }
void BM_FoldByFoldBuildsMacdRoc(benchmark::State& s) { foldByFoldBuilds(s, 5, 9); }

BENCHMARK(BM_WalkForwardMacdRoc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardMacd)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardLreg)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardTsc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardStochastics)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardKeltner)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardMacdLreg)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardMacdTsc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WalkForwardMacdNdist)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FoldByFoldBuildsMacdRoc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
