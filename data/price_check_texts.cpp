#include "data/price_check_texts.h"

#include "data/price_file.h"

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

struct KindNames {
    const char* singular;
    const char* plural;
};

KindNames kindNames(FindingKind kind) {
    switch (kind) {
        case FindingKind::RefusedLine: return {"unreadable line", "unreadable lines"};
        case FindingKind::DateRepeated: return {"repeated date", "repeated dates"};
        case FindingKind::DateOutOfOrder: return {"date out of order", "dates out of order"};
        case FindingKind::NotACalendarDate: return {"impossible date", "impossible dates"};
        case FindingKind::Gap: return {"gap", "gaps"};
        case FindingKind::PriceOutOfRange: return {"price outside high..low", "prices outside high..low"};
        case FindingKind::Spike: return {"spike", "spikes"};
        case FindingKind::FlatRun: return {"flat run", "flat runs"};
        case FindingKind::NotPositivePrice: return {"price of zero or below", "prices of zero or below"};
        case FindingKind::AbsurdPrice: return {"absurd price", "absurd prices"};
        case FindingKind::CutShort: return {"cut-short last line", "cut-short last lines"};
        case FindingKind::NotEightDigits: return {"date not of eight digits", "dates not of eight digits"};
        case FindingKind::HighSpike: return {"high spike", "high spikes"};
        case FindingKind::LowSpike: return {"low spike", "low spikes"};
        case FindingKind::AbsurdHighLow: return {"absurd high or low", "absurd highs or lows"};
    }
    return {"finding", "findings"};
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
                   price(f.nextClose) + ", more than " + price(PriceCheck::spikeFactor) +
                   " times the usual daily change of " +
                   price(f.typicalChange);
        case FindingKind::FlatRun:
            return "flat run: " + std::to_string(f.runLength) + " identical bars in a row (" + prices(f) + ")";
        case FindingKind::NotPositivePrice:
            return "not loaded: a price is zero or below";
        case FindingKind::AbsurdPrice:
            return "not loaded: a price is more than " + price(absurdPriceFactor) +
                   " times the file's median close, or less than 1/" + price(absurdPriceFactor) + " of it";
        case FindingKind::CutShort:
            return "not loaded: the last line holds only part of a bar";
        case FindingKind::NotEightDigits:
            return "the date is not eight digits (YYYYMMDD), so its order is not checked";
        case FindingKind::HighSpike:
            return "high spike: high " + price(f.high) + " above the neighbouring highs (" + price(f.neighbourBound) +
                   ") by more than " + price(PriceCheck::spikeFactor) + " times the usual daily change of " +
                   price(f.typicalChange) + " (" + prices(f) + ")";
        case FindingKind::LowSpike:
            return "low spike: low " + price(f.low) + " below the neighbouring lows (" + price(f.neighbourBound) +
                   ") by more than " + price(PriceCheck::spikeFactor) + " times the usual daily change of " +
                   price(f.typicalChange) + " (" + prices(f) + ")";
        case FindingKind::AbsurdHighLow:
            return "high or low absurd against the bar's own open and close (" + prices(f) + ")";
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
    if (check.findings.empty()) return text + "no findings";
    text += std::to_string(check.findings.size()) + (check.findings.size() == 1 ? " finding: " : " findings: ");
    const FindingKind kinds[] = {FindingKind::RefusedLine,      FindingKind::DateRepeated,
                                 FindingKind::DateOutOfOrder,   FindingKind::NotACalendarDate,
                                 FindingKind::Gap,              FindingKind::PriceOutOfRange,
                                 FindingKind::Spike,            FindingKind::FlatRun,
                                 FindingKind::NotPositivePrice, FindingKind::AbsurdPrice,
                                 FindingKind::CutShort,         FindingKind::NotEightDigits,
                                 FindingKind::HighSpike,        FindingKind::LowSpike,
                                 FindingKind::AbsurdHighLow};
    bool first = true;
    for (const FindingKind kind : kinds) {
        std::size_t count = 0;
        for (const DataFinding& finding : check.findings) count += finding.kind == kind ? 1 : 0;
        if (count == 0) continue;
        const KindNames names = kindNames(kind);
        text += (first ? "" : ", ") + std::to_string(count) + " " + (count == 1 ? names.singular : names.plural);
        first = false;
    }
    return text;
}

}  // namespace varkel
