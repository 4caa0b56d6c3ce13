#include "robustness/permuted_history.h"

#include "robustness/random_stream.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace varkel {

namespace {

// A price as the file holds it: a whole number of price-scale units.
double fileUnits(double price, double priceScale) { return std::nearbyint(price / priceScale); }

// A bar's prices rounded to the file's grid and read back as the loader reads
// them (units times the price scale). Rounding never breaks the order of two
// prices; the high and low are held outside the open and close all the same,
// for a day whose own high or low was not.
void setPrices(Bar& bar, double open, double high, double low, double close, double priceScale) {
    const double o = fileUnits(open, priceScale);
    const double c = fileUnits(close, priceScale);
    bar.open = o * priceScale;
    bar.high = std::max({fileUnits(high, priceScale), o, c}) * priceScale;
    bar.low = std::min({fileUnits(low, priceScale), o, c}) * priceScale;
    bar.close = c * priceScale;
}

std::vector<std::size_t> shuffledOrder(std::size_t count, Xoshiro256StarStar& stream) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    shuffleInPlace(order, stream);
    return order;
}

}  // namespace

std::optional<HistoryMoves> historyMoves(const Product& product) {
    const int n = product.historyLength();
    HistoryMoves moves;
    for (int t = 0; t < n; ++t) {
        const Bar& bar = product.bars[static_cast<std::size_t>(t)];
        if (!(bar.open > 0.0 && bar.high > 0.0 && bar.low > 0.0 && bar.close > 0.0)) return std::nullopt;
        if (t == 0) continue;
        moves.overnight.push_back(std::log(bar.open / product.bars[static_cast<std::size_t>(t) - 1].close));
        moves.shapes.push_back({std::log(bar.high / bar.open), std::log(bar.low / bar.open), std::log(bar.close / bar.open)});
    }
    return moves;
}

std::string pricesNotAboveZeroMessage(const std::string& productName) {
    return "The permutation test needs every price of " + productName + " above zero";
}

ProductRegistry permutedHistory(const Product& product, const HistoryMoves& moves, std::uint64_t seed,
                                std::uint64_t k) {
    ProductRegistry registry;
    Product* permuted = registry.addProduct(product.name);
    permuted->priceScale = product.priceScale;
    permuted->tradeUnits = product.tradeUnits;
    permuted->pipSize = product.pipSize;
    const int n = product.historyLength();
    if (n <= 0) {
        permuted->bars.emplace_back();
        return registry;
    }
    Xoshiro256StarStar stream = permutationStream(seed, k);
    const std::vector<std::size_t> overnightOrder = shuffledOrder(moves.overnight.size(), stream);
    const std::vector<std::size_t> shapeOrder = shuffledOrder(moves.shapes.size(), stream);

    const double scale = product.priceScale;
    permuted->bars.resize(static_cast<std::size_t>(n) + 1);
    const Bar& first = product.bars.front();
    Bar& start = permuted->bars.front();
    start.dateText = first.dateText;
    setPrices(start, first.open, first.high, first.low, first.close, scale);
    // The chain runs on the unrounded log prices, so rounding never accumulates.
    double logClose = std::log(first.close);
    for (int t = 1; t < n; ++t) {
        const std::size_t i = static_cast<std::size_t>(t) - 1;
        const DayShape& shape = moves.shapes[shapeOrder[i]];
        const double open = logClose + moves.overnight[overnightOrder[i]];
        Bar& bar = permuted->bars[static_cast<std::size_t>(t)];
        bar.dateText = product.bars[static_cast<std::size_t>(t)].dateText;
        setPrices(bar, std::exp(open), std::exp(open + shape.high), std::exp(open + shape.low),
                  std::exp(open + shape.close), scale);
        logClose = open + shape.close;
    }
    return registry;
}

std::string permutedHistoryText(const Product& product) {
    std::string text;
    const double scale = product.priceScale;
    for (int t = 0; t < product.historyLength(); ++t) {
        const Bar& bar = product.bars[static_cast<std::size_t>(t)];
        text += bar.dateText;
        for (const double price : {bar.open, bar.high, bar.low, bar.close}) {
            text += ',';
            text += std::to_string(static_cast<long long>(fileUnits(price, scale)));
        }
        text += '\n';
    }
    return text;
}

}  // namespace varkel
