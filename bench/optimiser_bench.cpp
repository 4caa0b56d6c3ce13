// Full-grid searches on the USD/JPY sample, each with its trials per second
// and its speed per trial against the straightforward one-trial-at-a-time
// reference (timed on trials spread over the same grid, once per run). The
// ratio compares processor time (all threads), which other work on the
// machine disturbs far less than the wall clock: it is the gain per core.
#include "optimiser_reference.h"

#include "bench_options.h"
#include "fixed_workload.h"
#include "search/optimisers.h"
#include "search/stage_times.h"
#include "search/trial_ledger.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Processor time of the whole process, every thread.
double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

ProductRegistry sample(bool withBase) {
    ProductRegistry registry = bench::workloadHistory(name);
    if (withBase) applyMacd(registry, name, 12, 26, 9, 0.0);
    return registry;
}

// The reference's cost per trial grows with the spans (its studies sum each
// window afresh) and varies with the threshold (how often the back-test
// trades), so it is timed on trials spread evenly over each full grid: a few
// spans from each end to the other and ten thresholds, every combination of
// them. MACD's pairs thin out as the fast span grows; taking every slow span
// of eight fast ones keeps that weighting.
std::vector<int> spread(SpanRange range, int count) {
    std::vector<int> values;
    for (int j = 0; j < count; ++j) values.push_back(range.first + (range.last - range.first) * j / (count - 1));
    return values;
}

SpanRange only(int span) { return {span, span}; }

// Ten of the grid's own values, evenly spread, each as a grid of one.
std::vector<StepRange> spread(const StepRange& range) {
    const std::vector<double> values = range.values();
    std::vector<StepRange> ones;
    for (const int at : spread(SpanRange{0, static_cast<int>(values.size()) - 1}, 10))
        ones.push_back({values[at], range.step, values[at] + range.step / 2});
    return ones;
}

using SampleGrid = std::function<void(ProductRegistry&, const reference::TrialObserver&)>;

std::vector<SampleGrid> macdSample() {
    const MacdGrid full;
    std::vector<SampleGrid> grids;
    for (const int fast : spread(full.fast, 8))
        for (const int signal : spread(full.signal, 3))
            grids.push_back([=](ProductRegistry& r, const reference::TrialObserver& o) {
                reference::macd(r, name, {only(fast), full.slowLast, only(signal)}, o);
            });
    return grids;
}

std::vector<SampleGrid> stochasticsSample() {
    const StochasticsGrid full;
    std::vector<SampleGrid> grids;
    for (const int k : spread(full.k, 3))
        for (const int d : spread(full.d, 3))
            for (const int slow : spread(full.slowD, 3))
                grids.push_back([=](ProductRegistry& r, const reference::TrialObserver& o) {
                    reference::stochastics(r, name, {only(k), only(d), only(slow)}, o);
                });
    return grids;
}

std::vector<SampleGrid> keltnerSample() {
    const KeltnerGrid full;
    std::vector<SampleGrid> grids;
    for (const int ema : spread(full.ema, 3))
        for (const int atr : spread(full.atr, 3))
            for (const StepRange& multiplier : spread(full.multiplier))
                grids.push_back([=](ProductRegistry& r, const reference::TrialObserver& o) {
                    reference::keltner(r, name, {only(ema), only(atr), multiplier}, o);
                });
    return grids;
}

// `computable`: the spans of the grid the search tries (NDIST's first two are listed but never tried).
std::vector<SampleGrid> spanThresholdSample(reference::SpanStudy study, bool asFilter, const SpanThresholdGrid& full,
                                            SpanRange computable) {
    std::vector<SampleGrid> grids;
    for (const int span : spread(computable, 5))
        for (const StepRange& threshold : spread(full.threshold))
            grids.push_back([=](ProductRegistry& r, const reference::TrialObserver& o) {
                reference::spanThreshold(r, name, study, asFilter, {only(span), threshold}, o);
            });
    return grids;
}

// NDIST's grid as its search tries it: spans 1 and 2 are listed but never tried.
SpanThresholdGrid ndistComputable() { return {{3, ndistGrid().span.last}, ndistGrid().threshold}; }

struct ReferenceRun {
    bool withBase;
    std::vector<SampleGrid> grids;
};

const std::map<std::string, ReferenceRun>& references() {
    using reference::SpanStudy;
    static const std::map<std::string, ReferenceRun> runs = {
        {"macd", {false, macdSample()}},
        {"stochastics", {false, stochasticsSample()}},
        {"keltner", {false, keltnerSample()}},
        {"lreg base", {false, spanThresholdSample(SpanStudy::Lreg, false, lregGrid(), lregGrid().span)}},
        {"tsc base", {false, spanThresholdSample(SpanStudy::Tsc, false, tscGrid(), tscGrid().span)}},
        {"lreg filter", {true, spanThresholdSample(SpanStudy::Lreg, true, lregGrid(), lregGrid().span)}},
        {"tsc filter", {true, spanThresholdSample(SpanStudy::Tsc, true, tscGrid(), tscGrid().span)}},
        {"roc filter", {true, spanThresholdSample(SpanStudy::Roc, true, rocGrid(), rocGrid().span)}},
        {"ndist filter", {true, spanThresholdSample(SpanStudy::Ndist, true, ndistGrid(), ndistComputable().span)}},
    };
    return runs;
}

// Processor seconds per trial of the reference, timed once: each sample grid
// runs three times and counts with its quickest run (the reference rewrites
// every bar's studies, so other work on the machine slows it unevenly). Each
// trial is timed from the one before it (or from the grid's start), which
// leaves out the reference's closing re-application of its best.
double referenceSecondsPerTrial(const std::string& search) {
    static std::map<std::string, double> timed;
    if (const auto it = timed.find(search); it != timed.end()) return it->second;
    const ReferenceRun& run = references().at(search);
    const ProductRegistry loaded = sample(run.withBase);
    double seconds = 0.0;
    std::int64_t trials = 0;
    for (const SampleGrid& grid : run.grids) {
        double quickest = 1e300;
        std::int64_t gridTrials = 0;
        for (int repeat = 0; repeat < 3; ++repeat) {
            ProductRegistry registry = loaded;
            double spent = 0.0;
            gridTrials = 0;
            double last = processorSeconds();
            grid(registry, [&](const reference::Best&) {
                const double now = processorSeconds();
                spent += now - last;
                last = now;
                ++gridTrials;
            });
            quickest = std::min(quickest, spent);
        }
        seconds += quickest;
        trials += gridTrials;
    }
    return timed[search] = seconds / static_cast<double>(trials);
}

// Times one full-grid search; its trials per second and how many times
// faster per trial than the reference. Returns the processor seconds of the
// last run.
template <typename Search>
double runSearch(benchmark::State& state, const std::string& search, std::int64_t trials, Search&& run) {
    const ProductRegistry loaded = sample(references().at(search).withBase);
    const double referencePerTrial = referenceSecondsPerTrial(search);
    double processor = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        ProductRegistry registry = loaded;
        state.ResumeTiming();
        const auto start = Clock::now();
        const double processorStart = processorSeconds();
        benchmark::DoNotOptimize(run(registry));
        const double seconds = secondsSince(start);
        processor = processorSeconds() - processorStart;
        state.counters["trials/s"] = static_cast<double>(trials) / seconds;
        state.counters["x reference"] = referencePerTrial / (processor / static_cast<double>(trials));
    }
    return processor;
}

void BM_MacdFull(benchmark::State& s) { runSearch(s, "macd", trialCount(MacdGrid{}), [](ProductRegistry& r) { return optimiseMacd(r, name, bench::control()); }); }
void BM_StochasticsFull(benchmark::State& s) { runSearch(s, "stochastics", trialCount(StochasticsGrid{}), [](ProductRegistry& r) { return optimiseStochastics(r, name, bench::control()); }); }
void BM_KeltnerFull(benchmark::State& s) { runSearch(s, "keltner", trialCount(KeltnerGrid{}), [](ProductRegistry& r) { return optimiseKeltner(r, name, bench::control()); }); }
void BM_LregBaseFull(benchmark::State& s) { runSearch(s, "lreg base", trialCount(lregGrid()), [](ProductRegistry& r) { return optimiseLreg(r, name, false, bench::control()); }); }
void BM_TscBaseFull(benchmark::State& s) { runSearch(s, "tsc base", trialCount(tscGrid()), [](ProductRegistry& r) { return optimiseTsc(r, name, false, bench::control()); }); }
void BM_LregFilterFull(benchmark::State& s) { runSearch(s, "lreg filter", trialCount(lregGrid()), [](ProductRegistry& r) { return optimiseLreg(r, name, true, bench::control()); }); }
void BM_TscFilterFull(benchmark::State& s) { runSearch(s, "tsc filter", trialCount(tscGrid()), [](ProductRegistry& r) { return optimiseTsc(r, name, true, bench::control()); }); }
void BM_RocFilterFull(benchmark::State& s) { runSearch(s, "roc filter", trialCount(rocGrid()), [](ProductRegistry& r) { return optimiseRoc(r, name, bench::control()); }); }
void BM_NdistFilterFull(benchmark::State& s) { runSearch(s, "ndist filter", trialCount(ndistComputable()), [](ProductRegistry& r) { return optimiseNdist(r, name, bench::control()); }); }

// The least of repeated runs (--benchmark_repetitions=N): the steadiest
// figure on a machine shared with other work.
double least(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }
double most(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }

#define VARKEL_SEARCH_BENCHMARK(function)                                                                   \
    BENCHMARK(function)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->ComputeStatistics("min", least) \
        ->ComputeStatistics("max", most)

VARKEL_SEARCH_BENCHMARK(BM_MacdFull);
VARKEL_SEARCH_BENCHMARK(BM_StochasticsFull);
VARKEL_SEARCH_BENCHMARK(BM_KeltnerFull);
VARKEL_SEARCH_BENCHMARK(BM_LregBaseFull);
VARKEL_SEARCH_BENCHMARK(BM_TscBaseFull);
VARKEL_SEARCH_BENCHMARK(BM_LregFilterFull);
VARKEL_SEARCH_BENCHMARK(BM_TscFilterFull);
VARKEL_SEARCH_BENCHMARK(BM_RocFilterFull);
VARKEL_SEARCH_BENCHMARK(BM_NdistFilterFull);

// The three full grids with the processor time of each stage (summed over the
// threads; stage_times.h) beside the search's own: studies, kernel, selection,
// and what no stage holds (the pool starting and waiting). Timing the stages
// costs a clock reading per lap, so these run apart from the lines above.
template <typename Search>
void runStagedSearch(benchmark::State& state, const std::string& kind, std::int64_t trials, Search search) {
    SearchStageTimes times;
    const double processor = runSearch(state, kind, trials, [&](ProductRegistry& registry) {
        OptimiserControl control = bench::control();
        control.stageTimes = &times;
        return search(registry, control);
    });
    double staged = 0.0;
    for (const auto& [stage, label] : {std::pair{SearchStage::Studies, "studies_cpu_ms"},
                                       std::pair{SearchStage::Kernel, "kernel_cpu_ms"},
                                       std::pair{SearchStage::Selection, "selection_cpu_ms"}}) {
        state.counters[label] = times.seconds(stage) * 1e3;
        staged += times.seconds(stage);
    }
    state.counters["unstaged_cpu_ms"] = (processor - staged) * 1e3;
}

void BM_MacdFullStages(benchmark::State& s) { runStagedSearch(s, "macd", trialCount(MacdGrid{}), [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c); }); }
void BM_StochasticsFullStages(benchmark::State& s) { runStagedSearch(s, "stochastics", trialCount(StochasticsGrid{}), [](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c); }); }
void BM_KeltnerFullStages(benchmark::State& s) { runStagedSearch(s, "keltner", trialCount(KeltnerGrid{}), [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c); }); }

VARKEL_SEARCH_BENCHMARK(BM_MacdFullStages);
VARKEL_SEARCH_BENCHMARK(BM_StochasticsFullStages);
VARKEL_SEARCH_BENCHMARK(BM_KeltnerFullStages);

// The same searches recording a trial ledger: the ten blocks of bars 1 .. N-1
// and the squares (what the overfitting statistics ask for), or the fifteen
// rolling train windows of a walk-forward (train 1000, test 250).
std::vector<BarWindow> blocksOfHistory(int n) {
    std::vector<BarWindow> blocks;
    for (int b = 0; b < 10; ++b) blocks.push_back({1 + b * (n - 1) / 10, 1 + (b + 1) * (n - 1) / 10});
    return blocks;
}

std::vector<BarWindow> rollingTrainWindows(int n) {
    std::vector<BarWindow> windows;
    for (int start = 1000; start < n; start += 250) windows.push_back({start - 1000, start});
    return windows;
}

template <typename Search>
void runLedgerSearch(benchmark::State& state, const std::string& kind, std::int64_t trials,
                     std::vector<BarWindow> (*windowsFor)(int), Search search) {
    runSearch(state, kind, trials, [&](ProductRegistry& registry) {
        TrialLedger ledger(windowsFor(registry.findProduct(name)->historyLength()), true);
        OptimiserControl control = bench::control();
        control.ledger = &ledger;
        search(registry, control);
        return ledger.rowCount();
    });
}

void BM_MacdFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, "macd", trialCount(MacdGrid{}), blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c); }); }
void BM_MacdFullRollingLedger(benchmark::State& s) { runLedgerSearch(s, "macd", trialCount(MacdGrid{}), rollingTrainWindows, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c); }); }
void BM_StochasticsFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, "stochastics", trialCount(StochasticsGrid{}), blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c); }); }
void BM_KeltnerFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, "keltner", trialCount(KeltnerGrid{}), blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c); }); }
void BM_KeltnerFullRollingLedger(benchmark::State& s) { runLedgerSearch(s, "keltner", trialCount(KeltnerGrid{}), rollingTrainWindows, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c); }); }

VARKEL_SEARCH_BENCHMARK(BM_MacdFullBlocksLedger);
VARKEL_SEARCH_BENCHMARK(BM_MacdFullRollingLedger);
VARKEL_SEARCH_BENCHMARK(BM_StochasticsFullBlocksLedger);
VARKEL_SEARCH_BENCHMARK(BM_KeltnerFullBlocksLedger);
VARKEL_SEARCH_BENCHMARK(BM_KeltnerFullRollingLedger);

}  // namespace
