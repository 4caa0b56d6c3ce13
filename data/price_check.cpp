#include "data/price_check.h"

#include "data/bar_range_check.h"
#include "data/calendar_date.h"
#include "data/price_file.h"
#include "data/repeated_price_check.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace varkel {

namespace {

// Days since the epoch of an eight-digit date that names a day of the calendar.
std::optional<int> calendarDayOf(std::string_view dateText) {
    const std::optional<int> digits = eightDigitDate(dateText);
    return digits ? calendarDay(*digits) : std::nullopt;
}

}  // namespace

DataFinding barFinding(FindingKind kind, const std::vector<Bar>& bars, const std::vector<int>& barLines,
                       std::size_t i) {
    DataFinding finding;
    finding.kind = kind;
    finding.lineNumber = barLines[i];
    finding.dateText = bars[i].dateText;
    if (i > 0) finding.previousDate = bars[i - 1].dateText;
    finding.open = bars[i].open;
    finding.high = bars[i].high;
    finding.low = bars[i].low;
    finding.close = bars[i].close;
    return finding;
}

namespace {

bool pricesOutOfRange(const Bar& bar) {
    const auto outside = [&bar](double price) { return price < bar.low || price > bar.high; };
    return bar.high < bar.low || outside(bar.open) || outside(bar.close);
}

bool samePrices(const Bar& a, const Bar& b) {
    return a.open == b.open && a.high == b.high && a.low == b.low && a.close == b.close;
}

}  // namespace

std::optional<double> typicalChangeAround(const std::vector<Bar>& bars, std::size_t i) {
    const auto width = static_cast<std::size_t>(spikeNeighbourhood.value);
    std::size_t first = i > width / 2 ? i - width / 2 : 0;
    std::size_t last = first + width;
    if (last >= bars.size()) {
        last = bars.size() - 1;
        first = last > width ? last - width : 0;
    }
    std::vector<double> changes;
    for (std::size_t j = std::max<std::size_t>(first, 1); j <= last; ++j)
        if (j != i && j != i + 1) changes.push_back(std::fabs(bars[j].close - bars[j - 1].close));
    if (changes.empty()) return std::nullopt;
    std::vector<double> sorted = changes;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    const double median = sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
    if (median > 0.0) return median;
    // Most days around did not move: every small step back would count as a
    // spike against a median of 0, so the mean change (in bar order) decides.
    double sum = 0.0;
    for (const double change : changes) sum += change;
    return sum / static_cast<double>(changes.size());
}

namespace {

FindingKind findingOf(LineRefusal reason) {
    switch (reason) {
        case LineRefusal::Unreadable: return FindingKind::RefusedLine;
        case LineRefusal::DateRepeated: return FindingKind::DateRepeated;
        case LineRefusal::DateEarlier: return FindingKind::DateOutOfOrder;
        case LineRefusal::NotPositive: return FindingKind::NotPositivePrice;
        case LineRefusal::Absurd: return FindingKind::AbsurdPrice;
        case LineRefusal::CutShort: return FindingKind::CutShort;
    }
    return FindingKind::RefusedLine;
}

}  // namespace

bool flagsBarPrices(FindingKind kind) {
    return findingRule(kind).verdict == FindingVerdict::LikelyWrongPrice;
}

namespace {

// A close far from the usual daily change: a Spike when it leaves both
// neighbours and the next close comes back to within spikeReturnShare of the
// jump from the close before (a wrong price followed by the true one again),
// a LargeMove when it moved largeMoveFactor usual changes and did not come
// back. Needs a bar on both sides.
std::optional<DataFinding> closeMove(const std::vector<Bar>& bars, const std::vector<int>& barLines, std::size_t i) {
    const std::optional<double> typical = typicalChangeAround(bars, i);
    if (!typical) return std::nullopt;
    const double fromBefore = bars[i].close - bars[i - 1].close;
    const double toAfter = bars[i].close - bars[i + 1].close;
    const double jump = std::fabs(fromBefore);
    const bool awayFromBoth = fromBefore * toAfter > 0.0 && std::min(jump, std::fabs(toAfter)) > spikeFactor.value * *typical;
    const bool comesBack = std::fabs(bars[i + 1].close - bars[i - 1].close) <= spikeReturnShare.value * jump;
    FindingKind kind;
    if (awayFromBoth && comesBack)
        kind = FindingKind::Spike;
    else if (jump > largeMoveFactor.value * *typical)
        kind = FindingKind::LargeMove;
    else
        return std::nullopt;
    DataFinding move = barFinding(kind, bars, barLines, i);
    move.previousClose = bars[i - 1].close;
    move.nextClose = bars[i + 1].close;
    move.typicalChange = *typical;
    return move;
}

}  // namespace

std::vector<DataFinding> checkBars(const std::vector<Bar>& bars, const std::vector<int>& barLines) {
    std::vector<DataFinding> findings;
    const std::size_t n = bars.size();
    std::optional<int> previousDay;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Bar& bar = bars[i];
        const std::optional<int> day = calendarDayOf(bar.dateText);
        if (!day && eightDigitDate(bar.dateText))
            findings.push_back(barFinding(FindingKind::NotACalendarDate, bars, barLines, i));
        if (!eightDigitDate(bar.dateText)) findings.push_back(barFinding(FindingKind::NotEightDigits, bars, barLines, i));
        if (day && previousDay && *day - *previousDay > maxGapDays.value) {
            DataFinding gap = barFinding(FindingKind::Gap, bars, barLines, i);
            gap.days = *day - *previousDay;
            findings.push_back(std::move(gap));
        }
        previousDay = day;

        if (pricesOutOfRange(bar))
            findings.push_back(barFinding(FindingKind::PriceOutOfRange, bars, barLines, i));

        if (i > 0 && i + 1 < n) {
            if (std::optional<DataFinding> move = closeMove(bars, barLines, i)) findings.push_back(std::move(*move));
        }

        // A run ends at a bar that differs from the run, or at the end of the history.
        const bool runEnds = i + 1 == n || !samePrices(bars[i + 1], bars[runStart]);
        if (runEnds) {
            const int length = static_cast<int>(i + 1 - runStart);
            if (length >= flatRunLength.value) {
                DataFinding run = barFinding(FindingKind::FlatRun, bars, barLines, runStart);
                run.runLength = length;
                findings.push_back(std::move(run));
            }
            runStart = i + 1;
        }
    }
    return findings;
}

namespace {

// Which bars (by index) the findings flag as likely wrong prices.
std::vector<bool> flaggedBarMask(const std::vector<DataFinding>& findings, const std::vector<int>& barLines) {
    std::vector<bool> flagged(barLines.size(), false);
    for (const DataFinding& finding : findings) {
        if (!flagsBarPrices(finding.kind)) continue;
        const auto at = std::lower_bound(barLines.begin(), barLines.end(), finding.lineNumber);
        if (at != barLines.end() && *at == finding.lineNumber) flagged[static_cast<std::size_t>(at - barLines.begin())] = true;
    }
    return flagged;
}

// A bar flagged as a likely wrong price is no unusual move, and neither is
// the large move back from it on the next bar.
void dropMovesOfWrongPrices(std::vector<DataFinding>& findings, const std::vector<bool>& flagged,
                            const std::vector<int>& barLines) {
    std::erase_if(findings, [&](const DataFinding& finding) {
        if (findingRule(finding.kind).verdict != FindingVerdict::UnusualMove) return false;
        const auto at = std::lower_bound(barLines.begin(), barLines.end(), finding.lineNumber);
        const auto i = static_cast<std::size_t>(at - barLines.begin());
        return flagged[i] || (finding.kind == FindingKind::LargeMove && i > 0 && flagged[i - 1]);
    });
}

}  // namespace

PriceCheck checkPriceFile(const std::string& path, std::string_view productName) {
    PriceCheck check;
    ProductRegistry registry;
    if (registry.addProduct(productName) == nullptr) return check;
    PriceFileTrace trace;
    const PriceFileLoad load = loadPriceFile(registry, productName, path, &trace);
    check.tooLarge = load.tooLarge;
    if (!load) return check;
    check.readable = true;
    check.barsLoaded = load.barsLoaded;
    check.linesRead = load.linesRead;
    std::vector<Bar>& bars = registry.findProduct(productName)->bars;
    bars.pop_back();  // the next-day bar
    check.findings = checkBars(bars, trace.barLines);
    for (DataFinding& finding : checkBarRanges(bars, trace.barLines)) check.findings.push_back(std::move(finding));
    for (DataFinding& finding : checkRepeatedWrongPrices(bars, trace.barLines, check.findings))
        check.findings.push_back(std::move(finding));
    const std::vector<bool> flagged = flaggedBarMask(check.findings, trace.barLines);
    dropMovesOfWrongPrices(check.findings, flagged, trace.barLines);
    check.history = historyFigures(bars, flagged);
    if (check.history) check.historyFindings = historyFindings(*check.history);

    for (RefusedLine& refused : trace.refused) {
        DataFinding finding;
        finding.kind = findingOf(refused.reason);
        finding.lineNumber = refused.lineNumber;
        finding.dateText = std::move(refused.dateText);
        // The bar it had to follow: the last one loaded from an earlier line.
        const auto after = std::lower_bound(trace.barLines.begin(), trace.barLines.end(), refused.lineNumber);
        if (after != trace.barLines.begin())
            finding.previousDate = bars[static_cast<std::size_t>(after - trace.barLines.begin() - 1)].dateText;
        check.findings.push_back(std::move(finding));
    }
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [](const DataFinding& a, const DataFinding& b) { return a.lineNumber < b.lineNumber; });
    return check;
}

}  // namespace varkel
