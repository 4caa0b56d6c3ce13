#include "report/performance_texts.h"

#include "base/formatted_text.h"
#include "report/measure_text.h"
#include "search/search_kinds.h"
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

// The viewer's lines of an index standing as the base (asFilter false) or a
// filter; nothing for a kind that cannot stand there.
std::optional<IndexLines> indexLines(const Layer& layer, bool asFilter) {
    const SearchKind* row = findSearchKind(layer.kind, asFilter);
    if (row == nullptr) return std::nullopt;
    IndexLines lines;
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const char* format = row->viewerLines[line];
        if (format == nullptr) continue;
        lines[line] = line < 3 ? formattedText(format, layer.p.spans[line]) : formattedText(format, layer.p.setting);
    }
    return lines;
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
    const IndexTexts base = indexTexts(model.layers[0].kind, indexLines(model.layers[0], false));
    const IndexTexts second = indexTexts(model.layers[1].kind, indexLines(model.layers[1], true));
    const IndexTexts third = indexTexts(model.layers[2].kind, indexLines(model.layers[2], true));
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
