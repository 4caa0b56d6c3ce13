#pragma once

#include "studies/study_kind.h"

#include <cstdint>

namespace varkel {

// A built trade model: a base index that decides each day's direction, up to two
// filter indexes, and the measures of its back-test. A new record holds the
// "not used" values: no index, parameters -1, thresholds and the two headline
// measures -999.0, everything else 0.
struct TradeModel {
    StudyKind baseKind = StudyKind::NotInUse;
    std::int32_t baseParam1 = -1;  // MACD fast, LREG/TSC span, %K, Keltner EMA span
    std::int32_t baseParam2 = -1;  // MACD slow, %D, Keltner ATR span
    std::int32_t baseParam3 = -1;  // MACD signal, slow %D
    double baseThreshold = -999.0;  // LREG/TSC threshold, Keltner multiplier
    StudyKind secondKind = StudyKind::NotInUse;
    std::int32_t secondSpan = -1;
    std::int32_t secondSpare = -1;
    double secondThreshold = -999.0;
    StudyKind thirdKind = StudyKind::NotInUse;
    std::int32_t thirdSpan = -1;
    std::int32_t thirdSpare = -1;
    double thirdThreshold = -999.0;
    double sharpeRatio = -999.0;
    double kellyFormula = -999.0;
    double winningRate = 0.0;
    double losingRate = 0.0;
    std::int32_t winCount = 0;
    std::int32_t lossCount = 0;
    std::int32_t tradeCount = 0;
    double grossProfit = 0.0;
    double grossLoss = 0.0;
    double netProfit = 0.0;

    bool operator==(const TradeModel&) const = default;
};

}  // namespace varkel
