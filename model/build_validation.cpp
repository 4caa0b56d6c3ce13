#include "model/build_validation.h"

#include "data/history_length.h"
#include "model/optimiser_grid.h"

#include <algorithm>

namespace varkel {

int studyKindFromListText(std::string_view text) {
    if (text == "MACD") return 5;
    if (text == "Time Series Correlation") return 8;
    if (text == "Rate Of Change") return 9;
    if (text == "Linear Regression") return 10;
    if (text == "Normal Distribution") return 11;
    if (text == "Stochastics") return 12;
    if (text == "Keltner Channels") return 13;
    return -999;
}

std::optional<std::string> validateIndexChoice(const IndexChoice& choice) {
    const int base = choice.baseKind;
    if (base != 5 && base != 8 && base != 10 && base != 12 && base != 13) return "Base Index is must item";
    const int second = choice.use2nd ? choice.secondKind : -999;
    if (choice.use2nd) {
        switch (second) {
            case 8:
                if (base == 8)
                    return "Time Series Correlation is assigned in Base Index. Please specify another index in 2nd Index.";
                break;
            case 10:
                if (base == 10)
                    return "Linear Regression is assigned in Base Index. Please specify another index in 2nd Index.";
                break;
            case 9:
            case 11:
                break;
            default:
                return "Please specify some index as 2nd index";
        }
    }
    if (choice.use3rd) {
        switch (choice.thirdKind) {
            case 8:
                if (base == 8 || second == 8)
                    return "Time Series Correlation is assigned in Base Index or 2nd Index. Please specify another index in 3rd Index.";
                break;
            case 10:
                if (base == 10 || second == 10)
                    return "Linear Regression is assigned in Base Index or 2nd Index. Please specify another index in 3rd Index.";
                break;
            case 9:
                if (second == 9)
                    return "Rate Of Change is assigned in 2nd Index. Please specify another index in 3rd Index.";
                break;
            case 11:
                if (second == 11)
                    return "Normal Distribution is assigned in 2nd Index. Please specify another index in 3rd Index.";
                break;
            default:
                return "Please specify some index as 3rd index";
        }
    }
    return std::nullopt;
}

int smallestSpanNeeded(int studyKind) {
    switch (studyKind) {
        case 5: {
            const MacdGrid macd;
            return std::max({macd.fast.first, macd.fast.first + 1, macd.signal.first});
        }
        case 12: {
            const StochasticsGrid stochastics;
            return std::max({stochastics.k.first, stochastics.d.first, stochastics.slowD.first});
        }
        case 13: {
            const KeltnerGrid keltner;
            return std::max(keltner.ema.first, keltner.atr.first);
        }
        case 8: return tscGrid().span.first;
        case 9: return rocGrid().span.first;
        case 10: return lregGrid().span.first;
        case 11: return 3;  // the grid lists spans 1 and 2, but the variance needs 3
        default: return 0;
    }
}

int barsNeededToBuild(const IndexChoice& choice) {
    int needed = smallestSpanNeeded(choice.baseKind);
    if (choice.use2nd) needed = std::max(needed, smallestSpanNeeded(choice.secondKind));
    if (choice.use3rd) needed = std::max(needed, smallestSpanNeeded(choice.thirdKind));
    return needed;
}

std::optional<std::string> validateHistoryLength(std::string_view productName, int historyLength,
                                                 const IndexChoice& choice) {
    return refuseShortHistory(productName, historyLength, barsNeededToBuild(choice), "a build");
}

}  // namespace varkel
