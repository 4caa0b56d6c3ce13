#include "data/price_history_write.h"

#include "base/text_lines.h"
#include "data/price_file.h"

#include <set>
#include <vector>

namespace varkel {

namespace {

std::string_view refusalText(LineRefusal reason) {
    switch (reason) {
        case LineRefusal::Unreadable: return "its prices do not read as numbers";
        case LineRefusal::DateRepeated: return "it repeats the date of the bar before it";
        case LineRefusal::DateEarlier: return "it is dated before the bar before it";
        case LineRefusal::NotPositive: return "it has a price of zero or below";
        case LineRefusal::Absurd: return "it has a price a hundred times away from the history's median close";
        case LineRefusal::CutShort: return "it holds only part of a bar";
    }
    return {};
}

// "Date,Open,High,Low,Close" above the bars: the loader passes over it, and
// it holds no bar to lose. A bar's line begins with the digits of its date.
bool isTitleLine(std::string_view line, LineRefusal reason) {
    return reason == LineRefusal::Unreadable && (line.empty() || line.front() < '0' || line.front() > '9');
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) lines.push_back(nextLine(text, start));
    return lines;
}

struct TextLoad {
    PriceFileLoad load;
    PriceFileTrace trace;
};

TextLoad loadText(std::string_view text) {
    ProductRegistry registry;
    registry.addProduct("PRICE");
    TextLoad result;
    result.load = loadPriceText(registry, "PRICE", text, &result.trace);
    return result;
}

// The text of every line the loader refuses in `text`.
std::multiset<std::string_view> refusedLineTexts(std::string_view text) {
    const std::vector<std::string_view> lines = linesOf(text);
    std::multiset<std::string_view> refused;
    for (const RefusedLine& line : loadText(text).trace.refused)
        refused.insert(lines[static_cast<std::size_t>(line.lineNumber - 1)]);
    return refused;
}

const OwnedFileRules& rulesOf(bool tolerant) {
    static const OwnedFileRules change{
        "price file", maxPriceFileBytes,
        [](const std::optional<std::string>& current, std::string_view next) {
            return priceHistoryWriteFault(next, current);
        }};
    static const OwnedFileRules replace{
        "price file", maxPriceFileBytes,
        [](const std::optional<std::string>&, std::string_view next) { return priceHistoryWriteFault(next); }};
    return tolerant ? change : replace;
}

}  // namespace

const OwnedFileRules& priceHistoryRules(PriceHistoryWrite kind) { return rulesOf(kind == PriceHistoryWrite::Change); }

std::optional<std::string> priceHistoryWriteFault(std::string_view next, const std::optional<std::string>& tolerated) {
    const TextLoad loaded = loadText(next);
    std::multiset<std::string_view> known;
    if (tolerated) known = refusedLineTexts(*tolerated);
    const std::vector<std::string_view> lines = linesOf(next);
    for (const RefusedLine& refused : loaded.trace.refused) {
        const std::string_view line = lines[static_cast<std::size_t>(refused.lineNumber - 1)];
        if (isTitleLine(line, refused.reason)) continue;
        if (const auto same = known.find(line); same != known.end()) {
            known.erase(same);
            continue;
        }
        return "line " + std::to_string(refused.lineNumber) + " (" + std::string(line.substr(0, 80)) +
               ") would not load: " + std::string(refusalText(refused.reason));
    }
    if (loaded.load.barsLoaded == 0) return "no line holds a bar";
    return std::nullopt;
}

OwnedWrite changePriceHistory(const std::filesystem::path& path, PriceHistoryWrite kind,
                              std::function<OwnedFileChange(const std::optional<std::string>& current)> change) {
    return changeOwnedFile({path, &priceHistoryRules(kind), std::move(change)});
}

}  // namespace varkel
