#pragma once

#include <cstdint>
#include <string>

namespace varkel {

// Position held during a day: +1 long, 0 flat, -1 short.
enum PositionState : std::int32_t { Short = -1, Flat = 0, Long = 1 };

// One daily bar: the prices read from the price file and, beside them, every
// per-bar result the studies and the back-test compute. A value of 0 in a study
// field means "no value yet" (warm-up). Every field starts at zero.
struct Bar {
    double ema = 0.0;
    double keltnerLower = 0.0;
    double keltnerUpper = 0.0;
    double trueRange = 0.0;
    double atr = 0.0;
    std::int32_t atrPeriod = 0;
    std::int32_t emaPeriod = 0;
    double maLong = 0.0;
    double maShort = 0.0;
    std::int32_t maLongPeriod = 0;
    std::int32_t maShortPeriod = 0;
    double stochRange = 0.0;
    double stochCloseLessLow = 0.0;
    std::int32_t stochSlowDPeriod = 0;
    std::int32_t stochDPeriod = 0;
    std::int32_t stochKPeriod = 0;
    double stochSlowD = 0.0;
    double stochD = 0.0;
    double stochK = 0.0;
    double rolling20Ratio = 0.0;
    double roc = 0.0;
    std::int32_t rocPeriod = 0;
    double ndist = 0.0;
    std::int32_t ndistPeriod = 0;
    std::int32_t macdSignalPeriod = 0;
    double macdSignal = 0.0;
    double macdLine = 0.0;
    std::int32_t position = Flat;
    double dailyPnl = 0.0;
    double cumulativePnl = 0.0;
    std::int32_t lregPeriod = 0;
    double lregSlope = 0.0;
    std::int32_t tscPeriod = 0;
    double tsc = 0.0;
    std::int32_t rsiPeriod = 0;
    double rsi = 0.0;
    double open = 0.0;
    double low = 0.0;
    double high = 0.0;
    double close = 0.0;
    std::int32_t macdFastPeriod = 0;
    double macdFast = 0.0;
    std::int32_t macdSlowPeriod = 0;
    double macdSlow = 0.0;
    std::string dateText;  // as written in the price file, at most maxDateTextLength

    static constexpr std::size_t maxDateTextLength = 63;
};

}  // namespace varkel
