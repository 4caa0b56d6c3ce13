// The importer on any bytes, in each format: nothing may crash, and what it
// converts must load back as a price history with every line accepted.
#include "data/price_file.h"
#include "data/price_import.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace varkel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string_view text = fuzz::asText(data, size);
    for (const ImportFormat format : {ImportFormat::Auto, ImportFormat::Broker, ImportFormat::Ohlc}) {
        const PriceConversion conversion = convertPriceText(text, format);
        const int lines = static_cast<int>(std::count(conversion.priceText.begin(), conversion.priceText.end(), '\n'));
        fuzz::require(lines == conversion.bars);
        fuzz::require((conversion.outcome == ImportOutcome::Converted) == (conversion.bars > 0));
        if (conversion.bars == 0) continue;
        fuzz::require(conversion.firstDate <= conversion.lastDate);

        file.set(conversion.priceText);
        ProductRegistry registry;
        registry.addProduct("USD/JPY");
        const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", file.path());
        fuzz::require(load.barsLoaded == conversion.bars && load.refusedCount == 0);
    }
    return 0;
}
