#include "report/flagged_return.h"

#include "base/formatted_text.h"
#include "data/price_check_texts.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>

namespace varkel {

std::vector<FlaggedBar> flaggedBarsOf(const std::vector<DataFinding>& findings) {
    std::vector<FlaggedBar> bars;
    std::set<std::string> dates;
    for (const DataFinding& finding : findings)
        if (flagsBarPrices(finding.kind) && dates.insert(finding.dateText).second)
            bars.push_back({finding.dateText, finding.kind});
    return bars;
}

FlaggedReturn flaggedReturnShare(std::span<const Bar> bars, const std::vector<FlaggedBar>& flagged,
                                 std::span<const double> dailyPnl) {
    FlaggedReturn share;
    const std::size_t count = std::min(bars.size(), dailyPnl.size());
    for (std::size_t i = 0; i < count; ++i) share.totalReturn += dailyPnl[i];

    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < count; ++i) index.emplace(bars[i].dateText, i);
    std::vector<bool> counted(count, false);
    for (const FlaggedBar& bar : flagged) {
        const auto found = index.find(bar.date);
        if (found == index.end()) continue;
        ++share.flaggedBars;
        double earned = 0.0;
        for (std::size_t day = found->second; day < std::min(found->second + 2, count); ++day) {
            earned += dailyPnl[day];
            if (!counted[day]) share.flaggedReturn += dailyPnl[day];
            counted[day] = true;
        }
        if (share.flaggedBars == 1 || earned > share.largestReturn) {
            share.largest = bar;
            share.largestReturn = earned;
        }
    }
    return share;
}

std::string flaggedAs(FindingKind kind) {
    switch (kind) {
        case FindingKind::Spike: return "flagged as a spike";
        case FindingKind::HighSpike: return "flagged as a high spike";
        case FindingKind::LowSpike: return "flagged as a low spike";
        case FindingKind::AbsurdHighLow: return "flagged as an absurd high or low";
        case FindingKind::AbsurdOpen: return "flagged as an absurd open";
        case FindingKind::PriceOutOfRange: return "flagged as a price outside high..low";
        case FindingKind::RepeatedWrongPrice: return "flagged as repeating a wrong price";
        default: return "flagged";
    }
}

std::string dataQualityNote(const PriceCheck& check, std::span<const Bar> bars, std::span<const double> dailyPnl) {
    const std::vector<DataFinding>& findings = check.findings;
    std::string note;
    if (!findings.empty()) {
        note = "The history has " + std::to_string(findings.size()) + " data-quality finding" +
               (findings.size() == 1 ? "" : "s");
        const std::vector<FlaggedBar> flagged = flaggedBarsOf(findings);
        if (flagged.empty())
            note += ", no bar flagged as wrong prices";
        else
            note += ", " + std::to_string(flagged.size()) + (flagged.size() == 1 ? " bar" : " bars") +
                    " flagged as wrong prices";
        // A day can be a long wick and a large move at once: one unusual move.
        std::set<std::string> unusualDays;
        for (const DataFinding& finding : findings)
            if (findingRule(finding.kind).verdict == FindingVerdict::UnusualMove) unusualDays.insert(finding.dateText);
        const std::size_t unusual = unusualDays.size();
        if (unusual > 0)
            note += " (" + std::to_string(unusual) + (unusual == 1 ? " unusual move" : " unusual moves") +
                    " not counted among them)";
        const std::string share = flagged.empty() ? "" : flaggedReturnText(flaggedReturnShare(bars, flagged, dailyPnl));
        if (!share.empty()) note += ". " + share;
    }
    for (const std::string& line : describeHistoryFindings(check)) note += (note.empty() ? "" : "\n") + line;
    return note;
}

std::string builtModelDataQualityNote(const std::string& pricePath, const Product& product) {
    const PriceCheck check = checkPriceFile(pricePath, product.name);
    const auto history = static_cast<std::size_t>(std::max(product.historyLength(), 0));
    std::vector<double> pnl;
    for (std::size_t i = 0; i < history; ++i) pnl.push_back(product.bars[i].dailyPnl);
    return dataQualityNote(check, std::span(product.bars).first(history), pnl);
}

std::string flaggedReturnText(const FlaggedReturn& share) {
    if (share.flaggedBars == 0) return {};
    // Signed parts that add up to the flagged bars' whole: the largest bar's
    // two days, then what the other flagged bars' days add to it.
    const bool gain = share.totalReturn > 0.0;
    // A model that earned nothing on the flagged bars, and nothing or a loss
    // in all, has no part of a return there to tell (a model with no trades).
    if (!gain && share.flaggedReturn == 0.0 && share.largestReturn == 0.0) return {};
    const auto amount = [&share, gain](double part) {
        if (!gain) return formattedText("%.2f", std::fabs(part));
        const double percent = std::fabs(100.0 * part / share.totalReturn);
        return percent < 0.5 ? std::string("less than 1 %") : formattedText("%.0f %%", percent);
    };
    const auto verb = [](double part, bool one) {
        if (part < 0.0) return one ? "takes away " : "take away ";
        return one ? "adds " : "add ";
    };
    std::string text = (gain ? std::string("Of this return, ") : formattedText("Of this return of %.2f, ", share.totalReturn)) +
                       share.largest.date + " (" + flaggedAs(share.largest.kind) + ") " +
                       verb(share.largestReturn, true) + amount(share.largestReturn);
    const int others = share.flaggedBars - 1;
    if (others == 0) return text;
    const double rest = share.flaggedReturn - share.largestReturn;
    text += others == 1 ? ", the other flagged bar " : ", the other " + std::to_string(others) + " flagged bars ";
    return text + verb(rest, others == 1) + amount(rest);
}

}  // namespace varkel
