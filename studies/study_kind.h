#pragma once

#include <cstdint>

namespace varkel {

// The integer code of a study. The same codes name a chart's painting kind and
// the indexes of a trade model, and they are what the model file stores, so a
// value read from a file may be any number; only the listed ones mean a study.
enum class StudyKind : std::int32_t {
    NotInUse = -999,
    MovingAverages = 0,  // price chart only
    Macd = 5,
    Rsi = 7,  // chart only
    TimeSeriesCorrelation = 8,
    RateOfChange = 9,
    LinearRegression = 10,
    NormalDistribution = 11,
    Stochastics = 12,
    KeltnerChannels = 13,
};

}  // namespace varkel
