#pragma once

#include "data/bar.h"
#include "data/price_check.h"
#include "data/product.h"

#include <span>
#include <string>
#include <vector>

namespace varkel {

// A bar the data check flagged as wrong prices: its date and why.
struct FlaggedBar {
    std::string date;
    FindingKind kind = FindingKind::Spike;
};

// How much of a model's return lies on flagged bars. A wrong price moves the
// P&L twice, on its own bar and back on the bar after it, so both count.
struct FlaggedReturn {
    double totalReturn = 0.0;    // the sum of the daily P&L, in bar order
    double flaggedReturn = 0.0;  // of it, on the flagged bars and the bars after them
    int flaggedBars = 0;         // flagged bars found among the bars
    FlaggedBar largest;          // the flagged bar whose two days earned most
    double largestReturn = 0.0;
};

// The flagged bars (price findings of the data check, one per bar; see
// flagsBarPrices) of a check's findings.
std::vector<FlaggedBar> flaggedBarsOf(const std::vector<DataFinding>& findings);

// `dailyPnl[i]` is the model's P&L on bars[i]; flagged dates not among the
// bars are left out. Shared by the builder, walk-forward and the permutation test.
FlaggedReturn flaggedReturnShare(std::span<const Bar> bars, const std::vector<FlaggedBar>& flagged,
                                 std::span<const double> dailyPnl);

// The flagged bars' part of the return as signed parts that add up: the bar
// that earned most, then all the others together: "Of this return, 20111031
// (flagged as a high spike) adds 2 %, the other 9 flagged bars take away
// 1 %". A return that is not a gain is told in amounts: "Of this return of
// -120.00, 20061225 (flagged as a spike) adds 2249.30". Empty when no flagged
// bar is among the bars.
std::string flaggedReturnText(const FlaggedReturn& share);

// What a build, walk-forward or permutation test says about the history's data
// quality: "The history has 4 data-quality findings, 2 bars flagged as wrong
// prices (1 unusual move not counted among them). Of this return, 20061225
// (flagged as a spike) adds 96 %, the other flagged bar takes away 1 %", then
// one line per history finding ("history: 77 % of the close-to-close
// variance ..."). Empty when the check found nothing.
std::string dataQualityNote(const PriceCheck& check, std::span<const Bar> bars, std::span<const double> dailyPnl);

// The note for a model whose daily P&L the product's bars hold (after a
// build), from the data check of the price file it was loaded from.
std::string builtModelDataQualityNote(const std::string& pricePath, const Product& product);

// "flagged as a spike", "flagged as a low spike", ...
std::string flaggedAs(FindingKind kind);

}  // namespace varkel
