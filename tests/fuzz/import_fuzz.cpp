// The importer on any bytes, in each format: nothing may crash, every bar it
// writes is a bar a market can have traded, and what it converts loads back
// as a price history with every line accepted. Then a CSV table made from the
// bytes (fields holding separators, quotes and line ends, columns in any
// order): every possible bar of it must come out with the values of its own
// Open, High, Low and Close fields, and no impossible one.
#include "data/price_file.h"
#include "data/price_import.h"
#include "fuzz_support.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <string>

using namespace varkel;

namespace {

// Reads the fuzz bytes as the choices of the table; zeros once they run out.
class Choices {
public:
    explicit Choices(std::string_view bytes) : bytes_(bytes) {}
    unsigned byte() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0U; }
    unsigned number(unsigned below) { return ((byte() << 8) | byte()) % below; }
    std::string text(std::size_t longest) {
        std::string value;
        for (std::size_t length = byte() % (longest + 1); length > 0; --length) value += static_cast<char>(byte());
        return value;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// Every line "YYYYMMDD,o,h,l,c" with a four-digit year, prices above zero,
// the high at or above open and close and the low at or below them.
void requirePossibleBars(const std::string& priceText) {
    for (std::size_t start = 0; start < priceText.size();) {
        const std::size_t end = priceText.find('\n', start);
        long long date = 0, open = 0, high = 0, low = 0, close = 0;
        const std::string line = priceText.substr(start, end - start);
        fuzz::require(std::sscanf(line.c_str(), "%lld,%lld,%lld,%lld,%lld", &date, &open, &high, &low, &close) == 5);
        fuzz::require(date >= 10000101 && date <= 99991231);
        fuzz::require(low > 0 && high >= std::max(open, close) && low <= std::min(open, close));
        start = end + 1;
    }
}

// A field as a careful spreadsheet writes it: quoted when it holds the
// separator, a quote, a line end or blanks at either end (and sometimes anyway).
std::string csvField(const std::string& value, char separator, bool quoteAnyway) {
    const bool needed = value.find_first_of(std::string("\"\r\n") + separator) != std::string::npos ||
                        (!value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                                            value.back() == '\t'));
    if (!needed && !quoteAnyway) return value;
    std::string quoted = "\"";
    for (const char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string priceText(unsigned hundredths) {
    return std::to_string(hundredths / 100) + "." + (hundredths % 100 < 10 ? "0" : "") + std::to_string(hundredths % 100);
}

void checkTable(std::string_view bytes) {
    Choices choose(bytes);
    constexpr std::array<const char*, 7> names = {"Date", "Open", "High", "Low", "Close", "Volume", "Note"};
    std::array<std::size_t, 7> order{};
    std::iota(order.begin(), order.end(), 0);
    for (std::size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[choose.byte() % (i + 1)]);
    const char separator = choose.byte() % 2 == 0 ? ',' : ';';
    const char* const lineEnds[3] = {"\n", "\r\n", "\r"};

    std::string source;
    for (std::size_t column = 0; column < order.size(); ++column)
        source += (column > 0 ? std::string(1, separator) : std::string()) + names[order[column]];
    source += "\n";
    std::string expected;
    const auto firstDay = std::chrono::sys_days{std::chrono::year{2000} / 1 / 1};
    const unsigned rows = choose.byte() % 12;
    for (unsigned row = 0; row < rows; ++row) {
        const std::chrono::year_month_day day{firstDay + std::chrono::days{row * 3 + 1}};
        const int year = static_cast<int>(day.year());
        const unsigned month = static_cast<unsigned>(day.month()), dayOfMonth = static_cast<unsigned>(day.day());
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02u-%02u", year, month, dayOfMonth);
        const std::array<unsigned, 4> prices = {1 + choose.number(20000), 1 + choose.number(20000),
                                                1 + choose.number(20000), 1 + choose.number(20000)};
        const std::array<std::string, 7> values = {date,
                                                   priceText(prices[0]),
                                                   priceText(prices[1]),
                                                   priceText(prices[2]),
                                                   priceText(prices[3]),
                                                   std::to_string(choose.number(50)) + "," + std::to_string(choose.number(1000)),
                                                   choose.text(12)};
        for (std::size_t column = 0; column < order.size(); ++column)
            source += (column > 0 ? std::string(1, separator) : std::string()) +
                      csvField(values[order[column]], separator, choose.byte() % 4 == 0);
        source += lineEnds[choose.byte() % 3];
        const auto [open, high, low, close] = prices;
        if (high >= std::max(open, close) && low <= std::min(open, close)) {
            char bar[96];
            std::snprintf(bar, sizeof bar, "%04d%02u%02u,%u,%u,%u,%u\n", year, month, dayOfMonth, open, high, low, close);
            expected += bar;
        }
    }
    const PriceConversion conversion = convertPriceText(source, ImportFormat::Ohlc);
    fuzz::require(conversion.priceText == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string_view text = fuzz::asText(data, size);
    for (const ImportFormat format : {ImportFormat::Auto, ImportFormat::Broker, ImportFormat::Ohlc}) {
        const PriceConversion conversion = convertPriceText(text, format);
        const int lines = static_cast<int>(std::count(conversion.priceText.begin(), conversion.priceText.end(), '\n'));
        fuzz::require(lines == conversion.bars);
        fuzz::require((conversion.outcome == ImportOutcome::Converted) == (conversion.bars > 0));
        requirePossibleBars(conversion.priceText);
        if (conversion.bars == 0) continue;
        fuzz::require(conversion.firstDate <= conversion.lastDate);

        file.set(conversion.priceText);
        ProductRegistry registry;
        registry.addProduct("USD/JPY");
        const PriceFileLoad load = loadPriceFile(registry, "USD/JPY", file.path());
        // Absurd prices (100 times the median close) are the loader's own refusal.
        fuzz::require(load.barsLoaded + load.impossiblePriceCount == conversion.bars &&
                      load.refusedCount == load.impossiblePriceCount);
    }
    checkTable(text);
    return 0;
}
