#include "data/price_check_texts.h"

#include "base/formatted_text.h"
#include "data/price_file.h"

#include <cmath>
#include <cstdio>

namespace varkel {

namespace {

std::string price(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string prices(const DataFinding& f) {
    return "open " + price(f.open) + ", high " + price(f.high) + ", low " + price(f.low) + ", close " +
           price(f.close);
}

std::string what(const DataFinding& f) {
    switch (f.kind) {
        case FindingKind::RefusedLine:
            return "not loaded: the price fields are missing or not numbers, or the date is too long";
        case FindingKind::DateRepeated:
            return "not loaded: the same date as the bar before";
        case FindingKind::DateOutOfOrder:
            return "not loaded: the date is before the bar before (" + f.previousDate + ")";
        case FindingKind::NotACalendarDate:
            return "the date names no day of the calendar";
        case FindingKind::Gap:
            return "gap of " + std::to_string(f.days) + " calendar days since " + f.previousDate;
        case FindingKind::PriceOutOfRange:
            return (f.high < f.low ? "high below low (" : "open or close outside high..low (") + prices(f) + ")";
        case FindingKind::Spike:
            return "spike: close " + price(f.close) + " after " + price(f.previousClose) + " and before " +
                   price(f.nextClose) + ", more than " + price(spikeFactor.value) +
                   " times the usual daily change of " + price(f.typicalChange) + ", and back";
        case FindingKind::FlatRun:
            return "flat run: " + std::to_string(f.runLength) + " identical bars in a row (" + prices(f) + ")";
        case FindingKind::NotPositivePrice:
            return "not loaded: a price is zero or below";
        case FindingKind::AbsurdPrice:
            return "not loaded: a price is more than " + price(absurdPriceFactor.value) +
                   " times the file's median close, or less than 1/" + price(absurdPriceFactor.value) + " of it";
        case FindingKind::CutShort:
            return "not loaded: the last line holds only part of a bar";
        case FindingKind::NotEightDigits:
            return "the date is not eight digits (YYYYMMDD), so its order is not checked";
        case FindingKind::HighSpike:
            return "unusual move: high " + price(f.high) + " above the neighbouring highs (" + price(f.neighbourBound) +
                   ") by more than " + price(spikeFactor.value) + " times the usual daily change of " +
                   price(f.typicalChange) + ", the close within them (" + prices(f) + ")";
        case FindingKind::LowSpike:
            return "unusual move: low " + price(f.low) + " below the neighbouring lows (" + price(f.neighbourBound) +
                   ") by more than " + price(spikeFactor.value) + " times the usual daily change of " +
                   price(f.typicalChange) + ", the close within them (" + prices(f) + ")";
        case FindingKind::AbsurdHighLow:
            return "high or low absurd against the bar's own open and close (" + prices(f) + ")";
        case FindingKind::AbsurdOpen:
            return "open absurd against the close before it (" + price(f.previousClose) + ") and the bar's own close (" +
                   prices(f) + ")";
        case FindingKind::RepeatedWrongPrice:
            return "repeats " + price(f.neighbourBound) + ", the wrong price of the flagged bar " + f.flaggedNeighbour +
                   ", far from its own close (" + prices(f) + ")";
        case FindingKind::LargeMove:
            return "unusual move: close " + price(f.close) + " after " + price(f.previousClose) + ", more than " +
                   price(largeMoveFactor.value) + " times the usual daily change of " + price(f.typicalChange) +
                   ", and no way back (next close " + price(f.nextClose) + ")";
    }
    return {};
}

}  // namespace

std::string describeFinding(const DataFinding& finding) {
    std::string text = "line " + std::to_string(finding.lineNumber);
    if (!finding.dateText.empty()) text += " (" + finding.dateText + ")";
    return text + ": " + what(finding);
}

std::string checkSummary(const PriceCheck& check) {
    std::string text = std::to_string(check.barsLoaded) + (check.barsLoaded == 1 ? " bar, " : " bars, ");
    const std::size_t history = check.historyFindings.size();
    const std::string historyPart =
        history == 0 ? "" : std::to_string(history) + (history == 1 ? " history finding" : " history findings");
    if (check.findings.empty()) return text + (history == 0 ? "no findings" : historyPart);
    text += std::to_string(check.findings.size()) + (check.findings.size() == 1 ? " finding: " : " findings: ");
    bool first = true;
    for (const FindingRule& rule : findingRules) {
        std::size_t count = 0;
        for (const DataFinding& finding : check.findings) count += finding.kind == rule.kind ? 1 : 0;
        if (count == 0) continue;
        text += (first ? "" : ", ") + std::to_string(count) + " " + std::string(count == 1 ? rule.singular : rule.plural);
        first = false;
    }
    return history == 0 ? text : text + "; " + historyPart;
}

std::string describeHistoryFinding(HistoryFindingKind kind, const HistoryFigures& figures) {
    const auto percent = [](double share) { return formattedText("%.0f %%", 100.0 * share); };
    switch (kind) {
        case HistoryFindingKind::VarianceBetweenBars:
            return "history: " + percent(figures.varianceBetweenBars) +
                   " of the close-to-close variance lies between one bar's close and the next bar's open (clean "
                   "daily FX: 2-3 %, the market trades through the night); a back-test that fills at the open "
                   "trades at a price that already holds the day's move";
        case HistoryFindingKind::OpensAtClose:
            return "history: " + percent(figures.openAtCloseShare) +
                   " of the bars open at their own close (clean daily FX: about 1 %); the opens look copied from "
                   "the closes";
        case HistoryFindingKind::Lag1Autocorrelation: {
            std::string text = "history: lag-1 autocorrelation of daily moves " +
                               formattedText("%+.2f", figures.lag1Autocorrelation);
            if (figures.flaggedBars > 0)
                text += formattedText(", %+.2f without the ", figures.lag1WithoutFlagged) +
                        std::to_string(figures.flaggedBars) +
                        (figures.flaggedBars == 1 ? " flagged bar" : " flagged bars");
            const bool flaggedBarsMakeIt = figures.flaggedBars > 0 &&
                                           std::fabs(figures.lag1WithoutFlagged) <= lag1Limit(figures.moves);
            return text + " (clean daily FX: -0.06 to +0.01); " +
                   (flaggedBarsMakeIt ? "the flagged bars make a pattern of one-day moves that reverse"
                                      : "a pattern of the data that a model can learn and no market offers");
        }
    }
    return {};
}

std::vector<std::string> describeHistoryFindings(const PriceCheck& check) {
    std::vector<std::string> lines;
    if (check.history)
        for (const HistoryFindingKind kind : check.historyFindings) lines.push_back(describeHistoryFinding(kind, *check.history));
    return lines;
}

}  // namespace varkel
