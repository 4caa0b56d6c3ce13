// The price-line reader, the price-file loader and the data-quality check on
// any bytes: nothing may crash, and what the loader reports must add up.
#include "data/price_check.h"
#include "data/price_file.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace varkel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string_view text = fuzz::asText(data, size);

    // Every line through the line reader on its own.
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        Bar bar;
        if (parsePriceLine(static_cast<int>(std::count(line.begin(), line.end(), ',')), bar, line, 0.01))
            fuzz::require(bar.dateText.size() <= Bar::maxDateTextLength);
        start = end + 1;
    }

    file.set(text);
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    PriceFileTrace trace;
    const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", file.path(), &trace);
    fuzz::require(load.opened);
    const Product& product = *registry.findProduct("USD/JPY");
    fuzz::require(product.historyLength() == load.barsLoaded);
    fuzz::require(static_cast<int>(trace.refused.size()) == load.refusedCount);
    fuzz::require(static_cast<int>(trace.barLines.size()) == load.barsLoaded);
    // Loaded eight-digit dates rise strictly.
    int latest = -1;
    for (int i = 0; i < product.historyLength(); ++i) {
        if (const auto date = eightDigitDate(product.bars[static_cast<std::size_t>(i)].dateText)) {
            fuzz::require(*date > latest);
            latest = *date;
        }
    }

    const PriceCheck check = checkPriceFile(file.path(), "USD/JPY");
    fuzz::require(check.readable && check.barsLoaded == load.barsLoaded);
    return 0;
}
