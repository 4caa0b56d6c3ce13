#include "data/price_check.h"

#include "data/bar_range_check.h"
#include "data/calendar_date.h"
#include "data/price_file.h"

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
    const std::size_t width = PriceCheck::spikeNeighbourhood;
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
    switch (kind) {
        case FindingKind::PriceOutOfRange:
        case FindingKind::Spike:
        case FindingKind::HighSpike:
        case FindingKind::LowSpike:
        case FindingKind::AbsurdHighLow:
            return true;
        default:
            return false;
    }
}

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
        if (day && previousDay && *day - *previousDay > PriceCheck::maxGapDays) {
            DataFinding gap = barFinding(FindingKind::Gap, bars, barLines, i);
            gap.days = *day - *previousDay;
            findings.push_back(std::move(gap));
        }
        previousDay = day;

        if (pricesOutOfRange(bar))
            findings.push_back(barFinding(FindingKind::PriceOutOfRange, bars, barLines, i));

        if (i > 0 && i + 1 < n) {
            const double fromBefore = bar.close - bars[i - 1].close;
            const double toAfter = bar.close - bars[i + 1].close;
            const std::optional<double> typical = typicalChangeAround(bars, i);
            // Away from both neighbours on the same side: the jump reverses the next day.
            if (typical && fromBefore * toAfter > 0.0 &&
                std::min(std::fabs(fromBefore), std::fabs(toAfter)) > PriceCheck::spikeFactor * *typical) {
                DataFinding spike = barFinding(FindingKind::Spike, bars, barLines, i);
                spike.previousClose = bars[i - 1].close;
                spike.nextClose = bars[i + 1].close;
                spike.typicalChange = *typical;
                findings.push_back(std::move(spike));
            }
        }

        // A run ends at a bar that differs from the run, or at the end of the history.
        const bool runEnds = i + 1 == n || !samePrices(bars[i + 1], bars[runStart]);
        if (runEnds) {
            const int length = static_cast<int>(i + 1 - runStart);
            if (length >= PriceCheck::flatRunLength) {
                DataFinding run = barFinding(FindingKind::FlatRun, bars, barLines, runStart);
                run.runLength = length;
                findings.push_back(std::move(run));
            }
            runStart = i + 1;
        }
    }
    return findings;
}

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
