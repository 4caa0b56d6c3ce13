#pragma once

#include "data/product_registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

// The day-by-day moves of a history in log prices, for bars t = 1 .. N-1:
// the overnight move ln(O_t / C_{t-1}) and the day's shape, its high, low and
// close against its own open.
struct DayShape {
    double high = 0.0;   // ln(H_t / O_t)
    double low = 0.0;    // ln(L_t / O_t)
    double close = 0.0;  // ln(C_t / O_t)
};

struct HistoryMoves {
    std::vector<double> overnight;
    std::vector<DayShape> shapes;
};

// The moves of the product's history; nothing when a price is not above zero
// (no log move leads to or from it).
std::optional<HistoryMoves> historyMoves(const Product& product);
// "The permutation test needs every price of USD/JPY above zero".
std::string pricesNotAboveZeroMessage(const std::string& productName);

// Permuted history k of a run with seed s, as a registry holding the product
// under its own name and settings, exactly as loading the file that
// permutedHistoryText writes for it would give: bar 0 and every date stay;
// the overnight moves are put in one random order and the day shapes (as
// units) in another, both by Fisher-Yates shuffles of permutationStream(s, k)
// (the overnight moves first); the prices are rebuilt forward from bar 0 in
// log prices (O_t = C_{t-1} e^g, then H, L and C from O_t) and rounded to the
// price file's hundredths. A high is kept at least the open and the close,
// a low at most. `moves` are historyMoves(product).
ProductRegistry permutedHistory(const Product& product, const HistoryMoves& moves, std::uint64_t seed,
                                std::uint64_t k);

// The price file of a history whose prices lie on the file's grid (a permuted
// history): one "date,open,high,low,close" line per priced bar, the prices in
// whole units of the product's price scale.
std::string permutedHistoryText(const Product& product);

}  // namespace varkel
