#include "model/backtest.h"

namespace varkel {

namespace {

// One day's profit and loss for yesterday's position p and today's q, with
// today's open O and close C, yesterday's close P, the fill cost c and the
// units U. False for a position outside -1, 0, +1: that day is left as it was.
bool dayPnl(int p, int q, double O, double C, double P, double c, double U, double& pnl) {
    if (p == Flat && q == Flat) pnl = 0.0;
    else if (p == Flat && q == Long) pnl = (C - (O + c)) * U;
    else if (p == Flat && q == Short) pnl = ((O - c) - C) * U;
    else if (p == Long && q == Long) pnl = (C - P) * U;
    else if (p == Long && q == Flat) pnl = ((O - c) - P) * U;
    else if (p == Long && q == Short) pnl = ((O - c) - P) * U + ((O - c) - C) * U;
    else if (p == Short && q == Short) pnl = (P - C) * U;
    else if (p == Short && q == Flat) pnl = (P - (O + c)) * U;
    else if (p == Short && q == Long) pnl = (P - (O + c)) * U + (C - (O + c)) * U;
    else return false;
    return true;
}

}  // namespace

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
        double pnl = 0.0;
        if (dayPnl(yesterday.position, today.position, today.open, today.close, yesterday.close,
                   cost, units, pnl))
            today.dailyPnl = pnl;
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
