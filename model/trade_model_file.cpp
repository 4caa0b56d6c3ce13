#include "model/trade_model_file.h"

#include "base/atomic_file.h"
#include "base/formatted_text.h"
#include "data/product.h"
#include "base/text_lines.h"
#include "base/whole_file.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

namespace varkel {

namespace {

using KindField = StudyKind TradeModel::*;
using IntField = std::int32_t TradeModel::*;
using RealField = double TradeModel::*;
using Field = std::variant<KindField, IntField, RealField>;

// The lines of the file in order. The Kelly value comes before the Sharpe
// ratio, the reverse of the record's order; stored files rely on it.
const std::array<Field, tradeModelFileLines> fileLines = {
    &TradeModel::baseKind,        &TradeModel::baseParam1,      &TradeModel::baseParam2,
    &TradeModel::baseParam3,      &TradeModel::baseThreshold,   &TradeModel::secondKind,
    &TradeModel::secondSpan,      &TradeModel::secondSpare,     &TradeModel::secondThreshold,
    &TradeModel::thirdKind,       &TradeModel::thirdSpan,       &TradeModel::thirdSpare,
    &TradeModel::thirdThreshold,  &TradeModel::kellyFormula,    &TradeModel::sharpeRatio,
    &TradeModel::winningRate,     &TradeModel::losingRate,      &TradeModel::winCount,
    &TradeModel::lossCount,       &TradeModel::tradeCount,      &TradeModel::netProfit,
    &TradeModel::grossProfit,     &TradeModel::grossLoss,
};

std::string formatInt(std::int32_t value) { return formattedText("%d", value); }

std::string formatReal(double value) {
    // The sign of a NaN carries no meaning; without this the formatted output
    // would print "-nan" for the NaN that 0.0 / 0.0 gives on this platform.
    if (std::isnan(value)) value = std::fabs(value);
    // Every digit is kept (1e100 takes 108 characters), so any value reads back.
    return formattedText("%10.6f", value);
}

std::string formatLine(const TradeModel& model, const Field& field) {
    if (const auto* kind = std::get_if<KindField>(&field))
        return formatInt(static_cast<std::int32_t>(model.**kind));
    if (const auto* integer = std::get_if<IntField>(&field)) return formatInt(model.**integer);
    return formatReal(model.*std::get<RealField>(field));
}

// Like atoi, but a number beyond the 32-bit range is clamped instead of undefined.
std::int32_t parseInt(const std::string& line) {
    const long value = std::strtol(line.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

void readLine(TradeModel& model, const Field& field, const std::string& line) {
    if (const auto* kind = std::get_if<KindField>(&field))
        model.**kind = static_cast<StudyKind>(parseInt(line));
    else if (const auto* integer = std::get_if<IntField>(&field))
        model.**integer = parseInt(line);
    else
        model.*std::get<RealField>(field) = std::strtod(line.c_str(), nullptr);
}

std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < content.size();) lines.emplace_back(nextLine(content, start));
    return lines;
}

}  // namespace

std::filesystem::path performanceFilePath(const std::filesystem::path& startDirectory,
                                          std::string_view productName) {
    return startDirectory / (fileStem(productName) + ".pfm");
}

bool saveTradeModel(const TradeModel& model, const std::filesystem::path& path, std::string* error) {
    std::string content;
    for (std::size_t i = 0; i < fileLines.size(); ++i) {
        content += formatLine(model, fileLines[i]);
        if (i + 1 < fileLines.size()) content += '\n';
    }
    return writeFileAtomically(path, content, error);
}

bool loadTradeModel(TradeModel& model, const std::filesystem::path& path, int* linesRead) {
    const auto content = readWholeFile(path);
    if (!content) return false;  // missing, or a directory, say
    const std::vector<std::string> lines = splitLines(*content);
    for (std::size_t i = 0; i < fileLines.size(); ++i)
        readLine(model, fileLines[i], i < lines.size() ? lines[i] : std::string());
    if (linesRead != nullptr) *linesRead = static_cast<int>(lines.size());
    return true;
}

}  // namespace varkel
