#include "model/backtest.h"

#include "model/day_pnl.h"

namespace varkel {

void runBacktest(ProductRegistry& registry, std::string_view name) {
    Product* product = registry.findProduct(name);
    if (product == nullptr) return;
    const int n = product->historyLength();
    if (n < 2) return;
    std::vector<Bar>& bars = product->bars;
    const double cost = 20.0 * product->pipSize;
    const double units = product->tradeUnits;
    for (int i = 1; i < n; ++i) {
        const Bar& yesterday = bars[i - 1];
        Bar& today = bars[i];
        // A day with a position outside -1, 0, +1 is left as it was.
        if (const auto pnl = dayPnl(yesterday.position, today.position, today.open, today.close,
                                    yesterday.close, cost, units))
            today.dailyPnl = *pnl;
    }
    // A running sum in bar order, starting from bar 0's zero, so every value equals
    // the sum taken from the first bar to the last bit.
    double cumulative = 0.0;
    bars[0].cumulativePnl = cumulative;
    for (int i = 1; i < n; ++i) {
        cumulative += bars[i].dailyPnl;
        bars[i].cumulativePnl = cumulative;
    }
}

double finalReturn(const ProductRegistry& registry, std::string_view name) {
    const Product* product = registry.findProduct(name);
    if (product == nullptr || product->historyLength() < 1) return 0.0;
    return product->bars[product->historyLength() - 1].cumulativePnl;
}

TransitionCode classifyTransition(const ProductRegistry& registry, std::string_view name) {
    const Product* product = registry.findProduct(name);
    if (product == nullptr || product->barCount() == 0) return TransitionCode::Unavailable;
    const int n = product->historyLength();
    if (n < 1) return TransitionCode::NoAction;
    const int p = product->bars[n - 1].position;
    const int q = product->bars[n].position;
    if (p == Flat && q == Long) return TransitionCode::TakeLong;
    if (p == Long && q == Long) return TransitionCode::LongHold;
    if (p == Long && q == Flat) return TransitionCode::CloseLong;
    if (p == Long && q == Short) return TransitionCode::LongToShort;
    if (p == Flat && q == Short) return TransitionCode::TakeShort;
    if (p == Short && q == Short) return TransitionCode::ShortHold;
    if (p == Short && q == Flat) return TransitionCode::CloseShort;
    if (p == Short && q == Long) return TransitionCode::ShortToLong;
    return TransitionCode::NoAction;
}

}  // namespace varkel
