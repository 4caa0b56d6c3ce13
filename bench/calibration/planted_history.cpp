#include "planted_history.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

namespace varkel::calibration {
namespace {

double dailyDeviation(const HistoryMoves& moves) {
    std::vector<double> whole(moves.overnight.size());
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = moves.overnight[i] + moves.shapes[i].close;
    const double mean = std::accumulate(whole.begin(), whole.end(), 0.0) / static_cast<double>(whole.size());
    double squares = 0.0;
    for (const double m : whole) squares += (m - mean) * (m - mean);
    return std::sqrt(squares / static_cast<double>(whole.size() - 1));
}

double onGrid(double price, double scale) { return std::nearbyint(price / scale) * scale; }

}  // namespace

Product plantedHistory(const Product& sample, const HistoryMoves& moves, int days, Planted planted,
                       std::uint64_t seed) {
    const auto length = static_cast<std::size_t>(days);
    if (days < 2 || length - 1 > moves.overnight.size() || sample.historyLength() < days)
        throw std::invalid_argument("calibration: the sample is shorter than the history asked for");
    std::mt19937_64 random(seed);
    std::vector<std::size_t> overnightOrder(moves.overnight.size());
    std::iota(overnightOrder.begin(), overnightOrder.end(), std::size_t{0});
    std::vector<std::size_t> shapeOrder = overnightOrder;
    std::shuffle(overnightOrder.begin(), overnightOrder.end(), random);
    std::shuffle(shapeOrder.begin(), shapeOrder.end(), random);
    const double sigma = dailyDeviation(moves);

    Product history;
    history.name = sample.name;
    history.priceScale = sample.priceScale;
    history.tradeUnits = sample.tradeUnits;
    history.pipSize = sample.pipSize;
    history.bars.resize(length + 1);
    const double scale = sample.priceScale;
    const auto setPrices = [scale](Bar& bar, double open, double high, double low, double close) {
        bar.open = onGrid(open, scale);
        bar.close = onGrid(close, scale);
        bar.high = std::max({onGrid(high, scale), bar.open, bar.close});
        bar.low = std::min({onGrid(low, scale), bar.open, bar.close});
    };
    const Bar& first = sample.bars.front();
    history.bars.front().dateText = first.dateText;
    setPrices(history.bars.front(), first.open, first.high, first.low, first.close);
    double logClose = std::log(first.close);
    double previousMove = 0.0;
    for (std::size_t t = 1; t < length; ++t) {
        const double shift =
            planted.kind == PlantedKind::Momentum
                ? planted.strength * previousMove
                : planted.strength * sigma * std::sin(2.0 * std::numbers::pi * static_cast<double>(t) / trendCycleDays);
        const DayShape& shape = moves.shapes[shapeOrder[t - 1]];
        const double open = logClose + moves.overnight[overnightOrder[t - 1]] + shift;
        Bar& bar = history.bars[t];
        bar.dateText = sample.bars[t].dateText;
        setPrices(bar, std::exp(open), std::exp(open + shape.high), std::exp(open + shape.low),
                  std::exp(open + shape.close));
        previousMove = open + shape.close - logClose;
        logClose = open + shape.close;
    }
    return history;
}

}  // namespace varkel::calibration
