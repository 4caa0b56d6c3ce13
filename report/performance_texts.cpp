#include "report/performance_texts.h"

#include "base/formatted_text.h"
#include "base/formatted_text.h"
#include "report/measure_text.h"
#include "studies/study_catalogue.h"

#include <optional>

namespace varkel {

namespace {

// An index's name and its parameter lines 1 to 4 (line 3 is used by the base only).
using IndexLines = std::array<std::string, 4>;

struct IndexTexts {
    std::string name = "N/A";
    IndexLines lines;
};

// The viewer's lines of a base index; nothing for a kind no model is built on.
std::optional<IndexLines> baseLines(const Layer& base) {
    const int p1 = base.p.spans[0];
    const int p2 = base.p.spans[1];
    const int p3 = base.p.spans[2];
    const double r = base.p.setting;
    switch (base.kind) {
        case StudyKind::Macd:
            return IndexLines{formattedText("MA 1 = %d", p1), formattedText("MA 2 = %d", p2), formattedText("MACD SIG = %d", p3), ""};
        case StudyKind::TimeSeriesCorrelation:
            return IndexLines{formattedText("TSC Span = %d", p1), "", "", formattedText("TSC filter = %10.6f", r)};
        case StudyKind::LinearRegression:
            return IndexLines{formattedText("Lreg Span = %d", p1), "", "", formattedText("Lreg filter = %10.6f", r)};
        case StudyKind::Stochastics:
            return IndexLines{formattedText("K = %d", p1), formattedText("D = %d", p2), formattedText("SLOW D = %d", p3), ""};
        case StudyKind::KeltnerChannels:
            return IndexLines{formattedText("EMA = %d", p1), formattedText("ATR = %d", p2), "", formattedText("MULTIPLIER = %2.4f", r)};
        default:
            return std::nullopt;
    }
}

// The viewer's lines of a filter index; nothing for a kind that is no filter.
std::optional<IndexLines> filterLines(const Layer& filter) {
    const int span = filter.p.spans[0];
    const double threshold = filter.p.setting;
    const auto lines = [&](const char* spanFormat, const char* filterFormat) {
        return IndexLines{formattedText(spanFormat, span), "", "", formattedText(filterFormat, threshold)};
    };
    switch (filter.kind) {
        case StudyKind::TimeSeriesCorrelation: return lines("TSC Span = %d", "TSC filter = %10.6f");
        case StudyKind::RateOfChange: return lines("ROC Span = %d", "ROC filter = %10.6f");
        case StudyKind::LinearRegression: return lines("Lreg Span = %d", "Lreg filter = %10.6f");
        case StudyKind::NormalDistribution: return lines("Ndist Span = %d", "Ndist filter = %10.6f");
        default: return std::nullopt;
    }
}

// The study's name from the catalogue with its lines; "N/A" and empty lines without.
IndexTexts indexTexts(StudyKind kind, const std::optional<IndexLines>& lines) {
    if (!lines) return {};
    return {findStudy(kind)->reportName, *lines};
}

}  // namespace

const std::string& PerformanceTexts::text(int controlId) const {
    static const std::string none;
    for (const PerformanceText& entry : entries)
        if (entry.controlId == controlId) return entry.text;
    return none;
}

PerformanceTexts performanceTexts(std::string_view productName, const TradeModel& model) {
    const IndexTexts base = indexTexts(model.layers[0].kind, baseLines(model.layers[0]));
    const IndexTexts second = indexTexts(model.layers[1].kind, filterLines(model.layers[1]));
    const IndexTexts third = indexTexts(model.layers[2].kind, filterLines(model.layers[2]));
    return {{{
        {1030, "Product", std::string(productName)},
        {1031, "Winning Rate", measureText("%10.6f", model.winningRate, model.tradeCount)},
        {1029, "Sharpe Ratio", measureText("%10.6f", model.sharpeRatio, model.tradeCount)},
        {1032, "Kelly Formula", measureText("%10.6f", model.kellyFormula, model.tradeCount)},
        {1035, "Gross Profit", formattedText("%10.6f", model.grossProfit)},
        {1036, "Gross Loss", formattedText("%10.6f", model.grossLoss)},
        {1037, "Net Profit", formattedText("%10.6f", model.netProfit)},
        {1033, "Number of Trades", formattedText("%d", model.tradeCount)},
        {1034, "Number of Winnings", formattedText("%d", model.winCount)},
        {1021, "Base Index", base.name},
        {1038, "Base Index line 1", base.lines[0]},
        {1039, "Base Index line 2", base.lines[1]},
        {1040, "Base Index line 3", base.lines[2]},
        {1041, "Base Index line 4", base.lines[3]},
        {1022, "Secondary Index", second.name},
        {1042, "Secondary Index line 1", second.lines[0]},
        {1043, "Secondary Index line 2", second.lines[1]},
        {1044, "Secondary Index line 4", second.lines[3]},
        {1023, "Third Index", third.name},
        {1045, "Third Index line 1", third.lines[0]},
        {1046, "Third Index line 2", third.lines[1]},
        {1047, "Third Index line 4", third.lines[3]},
    }}};
}

}  // namespace varkel
