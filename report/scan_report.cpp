#include "report/scan_report.h"

#include "base/formatted_text.h"
#include "report/permutation_texts.h"
#include "robustness/robustness_verdict.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace varkel {

namespace {

constexpr const char* missing = "-";

std::string rowName(const ScanRow& row) { return row.product + " " + combinationName(row.combination); }

bool withPermutations(const ScanResult& result) {
    return std::any_of(result.rows.begin(), result.rows.end(), [](const ScanRow& row) { return row.permutation; });
}

// A walk-forward refused for one row (a history no longer than the train window) shows "-" there.
bool withWalkForward(const ScanResult& result) {
    return std::any_of(result.rows.begin(), result.rows.end(), [](const ScanRow& row) { return row.walkForward; });
}

std::string percentText(std::optional<double> share) {
    return share ? formattedText("%.0f %%", 100.0 * *share) : std::string(missing);
}

// A missing p sorts last.
double pOrOne(const std::optional<double>& p) { return p.value_or(std::numeric_limits<double>::infinity()); }

// "USD/JPY MACD stands out on its own (p = 0.012) but not once the whole
// family is taken into account (adjusted p = 0.21)." or the permutation
// test's own words on what it would have needed.
std::string standOutText(const ScanRow& row) {
    const PermutationSummary& own = *row.permutation;
    if (own.pValue < permutationHoldsBelow)
        return rowName(row) + " stands out on its own (p = " + pValueText(own.pValue) +
               ") but not once the whole family is taken into account (adjusted p = " +
               pValueText(*row.adjustedPValue) + ").";
    return "The test could not tell the best-ranked, " + rowName(row) + " (p = " + pValueText(own.pValue) +
           "), from noise. " + notFromNoiseText(own);
}

// The lines of a table, each column as wide as its widest cell; the first
// `leftColumns` columns aligned left, the others right.
std::string tableText(const std::vector<std::vector<std::string>>& lines, std::size_t leftColumns) {
    std::vector<std::size_t> widths(lines.front().size(), 0);
    for (const auto& line : lines)
        for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
    std::string text;
    for (const auto& line : lines) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string pad(widths[c] - line[c].size(), ' ');
            out += (c > 0 ? "  " : "") + (c < leftColumns ? line[c] + pad : pad + line[c]);
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        text += out + "\n";
    }
    return text;
}

// A CSV field: quoted when it holds a comma or a quote.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

void fillFlaggedShares(ScanResult& result, const std::vector<const Product*>& products,
                       const std::vector<std::vector<FlaggedBar>>& flagged) {
    for (ScanRow& row : result.rows) {
        if (row.dailyPnl.empty()) continue;
        for (std::size_t j = 0; j < products.size(); ++j) {
            if (products[j]->name != row.product) continue;
            const FlaggedReturn share = flaggedReturnShare(products[j]->bars, flagged[j], row.dailyPnl);
            row.flaggedShare = share.totalReturn > 0.0 ? std::optional(share.flaggedReturn / share.totalReturn)
                                                       : std::nullopt;
        }
    }
}

std::vector<std::size_t> rankedRows(const ScanResult& result) {
    std::vector<std::size_t> order(result.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const ScanRow& x = result.rows[a];
        const ScanRow& y = result.rows[b];
        if (pOrOne(x.adjustedPValue) != pOrOne(y.adjustedPValue))
            return pOrOne(x.adjustedPValue) < pOrOne(y.adjustedPValue);
        const double px = x.permutation ? x.permutation->pValue : 1.0;
        const double py = y.permutation ? y.permutation->pValue : 1.0;
        if (px != py) return px < py;
        return x.model.netProfit > y.model.netProfit;
    });
    return order;
}

std::string scanFamilySentence(const ScanResult& result) {
    if (!withPermutations(result)) return {};
    const std::vector<std::size_t> order = rankedRows(result);
    const int holding = rowsHoldingUp(result);
    const std::string family = std::to_string(result.rows.size()) + " combinations";
    const std::string rule = " at 5 % after the whole family is taken into account";
    if (holding == 0) {
        return "None of " + family + " hold up" + rule + ". " + standOutText(result.rows[order.front()]);
    }
    std::string sentence = std::to_string(holding) + " of " + family + (holding == 1 ? " holds up" : " hold up") +
                           rule + ":";
    for (int i = 0; i < holding; ++i) {
        const ScanRow& row = result.rows[order[static_cast<std::size_t>(i)]];
        sentence += (i > 0 ? ", " : " ") + rowName(row) + " (adjusted p = " + pValueText(*row.adjustedPValue) + ")";
    }
    sentence += ".";
    if (static_cast<std::size_t>(holding) < order.size())
        sentence += " " + standOutText(result.rows[order[static_cast<std::size_t>(holding)]]);
    return sentence;
}

std::vector<std::string> scanColumns(bool permutations, bool walkForward) {
    std::vector<std::string> columns = {"Rank", "Product", "Combination", "In-sample net", "Trades"};
    if (permutations) columns.insert(columns.end(), {"p", "Adjusted p"});
    columns.push_back("On flagged bars");
    if (walkForward) columns.insert(columns.end(), {"Out-of-sample net", "Profitable folds"});
    return columns;
}

std::vector<std::string> scanCells(const ScanResult& result, std::size_t r, std::size_t rank) {
    const ScanRow& row = result.rows[r];
    std::vector<std::string> cells = {std::to_string(rank), row.product, combinationName(row.combination),
                                      formattedText("%.2f", row.model.netProfit), std::to_string(row.model.tradeCount)};
    if (withPermutations(result)) {
        cells.push_back(row.permutation ? pValueText(row.permutation->pValue) : missing);
        cells.push_back(row.adjustedPValue ? pValueText(*row.adjustedPValue) : missing);
    }
    cells.push_back(percentText(row.flaggedShare));
    if (withWalkForward(result)) {
        const std::optional<ScanWalkForward>& walk = row.walkForward;
        cells.push_back(walk ? formattedText("%.2f", walk->outOfSampleNet) : missing);
        cells.push_back(walk ? percentText(walk->profitableFoldShare) : missing);
    }
    return cells;
}

std::string scanReportText(const ScanResult& result, const std::string& title) {
    std::string text = title + "\n";
    text += std::to_string(result.rows.size()) + " combinations";
    if (result.permutations > 0)
        text += formattedText(", %lld permutations (seed %llu; %s)", static_cast<long long>(result.permutations),
                              static_cast<unsigned long long>(result.seed), shuffleDescription);
    text += "\n";
    if (result.rows.empty()) return text;
    std::vector<std::vector<std::string>> lines = {scanColumns(withPermutations(result), withWalkForward(result))};
    const std::vector<std::size_t> order = rankedRows(result);
    for (std::size_t i = 0; i < order.size(); ++i) lines.push_back(scanCells(result, order[i], i + 1));
    text += tableText(lines, 3);
    if (const std::string sentence = scanFamilySentence(result); !sentence.empty()) text += sentence + "\n";
    return text;
}

std::string scanCsv(const ScanResult& result) {
    const bool permutations = withPermutations(result);
    const bool walkForward = withWalkForward(result);
    std::vector<std::string> columns = scanColumns(permutations, walkForward);
    columns.insert(columns.begin() + 3, "Options");
    std::string text;
    for (std::size_t c = 0; c < columns.size(); ++c) text += (c > 0 ? "," : "") + csvField(columns[c]);
    text += "\n";
    const auto optional = [](const std::optional<double>& value) {
        return value ? shortestText(*value) : std::string();
    };
    const std::vector<std::size_t> order = rankedRows(result);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const ScanRow& row = result.rows[order[i]];
        text += std::to_string(i + 1) + "," + csvField(row.product) + "," + csvField(combinationName(row.combination)) +
                "," + combinationOptions(row.combination) + "," + shortestText(row.model.netProfit) + "," +
                std::to_string(row.model.tradeCount);
        if (permutations)
            text += "," + optional(row.permutation ? std::optional(row.permutation->pValue) : std::nullopt) + "," +
                    optional(row.adjustedPValue);
        text += "," + optional(row.flaggedShare);
        if (walkForward) {
            const std::optional<ScanWalkForward>& walk = row.walkForward;
            text += "," + optional(walk ? std::optional(walk->outOfSampleNet) : std::nullopt) + "," +
                    optional(walk ? std::optional(walk->profitableFoldShare) : std::nullopt);
        }
        text += "\n";
    }
    return text;
}

}  // namespace varkel
