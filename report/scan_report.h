#pragma once

#include "data/product.h"
#include "report/flagged_return.h"
#include "robustness/scan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace varkel {

// How the command line and the workstation show a scan.

// Fills each row's flaggedShare from its daily P&L and the flagged bars of
// its product's price file (`flagged[j]` for products[j], the scan's
// products in the order given): the share of the model's net return on
// flagged bars and the bars after them, 0 when none of them is flagged;
// nothing when the net return is not a gain. Rows without daily P&L keep
// what they hold.
void fillFlaggedShares(ScanResult& result, const std::vector<const Product*>& products,
                       const std::vector<std::vector<FlaggedBar>>& flagged);

// The rows in the order people read them: lowest adjusted p-value first, then
// lowest own p-value, then highest in-sample net, then the scan's order.
std::vector<std::size_t> rankedRows(const ScanResult& result);

// The family's sentence: "2 of 284 combinations hold up at 5 % after the
// whole family is taken into account: USD/JPY MACD + Rate Of Change
// (adjusted p = 0.012), EUR/USD Keltner Channels (adjusted p = 0.031)." or
// "None of 284 combinations hold up at 5 % after the whole family is taken
// into account.", followed by what the best-ranked combination that did not
// hold up would have needed to stand out, in the permutation test's words
// (notFromNoiseText), or that it stands out on its own but not in the family.
// Empty without permutations.
std::string scanFamilySentence(const ScanResult& result);

// The table's column captions: Rank, Product, Combination, In-sample net,
// Trades, p and Adjusted p (with permutations), On flagged bars, and
// Out-of-sample net and Profitable folds (with walk-forwards).
std::vector<std::string> scanColumns(bool withPermutations, bool withWalkForward);
// One row's cells as the table shows them, in scanColumns' order for the
// result's columns: `rank` is the row's place in rankedRows from 1; a figure
// not known shows "-".
std::vector<std::string> scanCells(const ScanResult& result, std::size_t row, std::size_t rank);

// The report for people: a title line, the settings (combinations,
// permutations, seeds), the ranked table and the family sentence.
std::string scanReportText(const ScanResult& result, const std::string& title);

// The CSV for scripts: a header line of scanColumns with Options (the build
// command's options for the combination) after Combination, then one line per
// row in ranked order; numbers in their shortest form that reads back exactly,
// shares as fractions, an unknown figure empty.
std::string scanCsv(const ScanResult& result);

}  // namespace varkel
