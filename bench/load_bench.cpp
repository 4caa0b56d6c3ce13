#include "data/price_file.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void loadSample(benchmark::State& state, const char* file) {
    const std::string path = std::string(VARKEL_SAMPLES_DIR) + "/" + file;
    for (auto _ : state) {
        varkel::ProductRegistry registry;
        registry.addProduct("X");
        benchmark::DoNotOptimize(varkel::loadPriceFile(registry, "X", path));
    }
}

BENCHMARK_CAPTURE(loadSample, USD_JPY, "USD_JPY.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadSample, EUR_JPY, "EUR_JPY.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadSample, GBP_JPY, "GBP_JPY.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadSample, AUD_JPY, "AUD_JPY.txt")->Unit(benchmark::kMillisecond);

}  // namespace
