// A trade-model file of any bytes, read and applied by the daily signal to a
// small history: nothing may crash or overflow.
#include "data/product_registry.h"
#include "fuzz_support.h"
#include "model/trade_model_file.h"
#include "report/trade_signal.h"

#include <cmath>
#include <fstream>

using namespace varkel;

namespace {

// Sixty days of a wavy history, enough for the studies' small spans.
ProductRegistry smallHistory() {
    ProductRegistry registry;
    Product* product = registry.addProduct("USD/JPY");
    for (int i = 0; i < 60; ++i) {
        Bar bar;
        bar.dateText = std::to_string(20240101 + i);
        bar.close = 100.0 + 5.0 * std::sin(i * 0.3) + 0.1 * i;
        bar.open = bar.close - 0.2;
        bar.high = bar.close + 0.5;
        bar.low = bar.close - 0.6;
        product->bars.push_back(bar);
    }
    product->bars.emplace_back();
    return registry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ProductRegistry prototype = smallHistory();
    static const std::filesystem::path dir = fuzz::scratchDirectory("signal");
    std::ofstream(performanceFilePath(dir, "USD/JPY"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    ProductRegistry registry = prototype;
    const TradeSignal signal = runDailyTradeSignal(registry, "USD/JPY", dir);
    fuzz::require(signal.productFound && signal.modelFound);
    fuzz::require(registry.findProduct("USD/JPY")->barCount() == 61);
    return 0;
}
