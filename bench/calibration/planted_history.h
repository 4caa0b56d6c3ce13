#pragma once

#include "data/product.h"
#include "robustness/permuted_history.h"

#include <cstdint>

namespace varkel::calibration {

// The structure planted in a calibration history, on top of moves in a
// random order. Strength 0 plants nothing.
enum class PlantedKind {
    // Day t's move gains strength * m_{t-1}, m the day before's whole move:
    // an AR(1) autocorrelation of `strength` in the daily moves.
    Momentum,
    // Day t's move gains strength * sigma * sin(2 pi t / trendCycleDays),
    // sigma the daily moves' standard deviation: up and down trends that
    // follow each other.
    Trend,
};

inline constexpr int trendCycleDays = 200;

struct Planted {
    PlantedKind kind = PlantedKind::Momentum;
    double strength = 0.0;
};

// A history of `days` bars with `sample`'s settings, first bar and dates:
// days - 1 of `moves` (overnight moves and day shapes, each drawn as a unit
// in a random order of `seed`), chained forward in log prices as a permuted
// history is, with the planted shift added to each day's overnight move
// (so the whole day moves with it), prices rounded to the file's grid.
// Without a plant it is a permuted history in all but the seed stream: no
// structure by construction. Ends with the empty next-day bar.
Product plantedHistory(const Product& sample, const HistoryMoves& moves, int days, Planted planted,
                       std::uint64_t seed);

}  // namespace varkel::calibration
