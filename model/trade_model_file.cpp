#include "model/trade_model_file.h"

#include "data/product.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
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
const std::array<Field, 23> fileLines = {
    &TradeModel::baseKind,        &TradeModel::baseParam1,      &TradeModel::baseParam2,
    &TradeModel::baseParam3,      &TradeModel::baseThreshold,   &TradeModel::secondKind,
    &TradeModel::secondSpan,      &TradeModel::secondSpare,     &TradeModel::secondThreshold,
    &TradeModel::thirdKind,       &TradeModel::thirdSpan,       &TradeModel::thirdSpare,
    &TradeModel::thirdThreshold,  &TradeModel::kellyFormula,    &TradeModel::sharpeRatio,
    &TradeModel::winningRate,     &TradeModel::losingRate,      &TradeModel::winCount,
    &TradeModel::lossCount,       &TradeModel::tradeCount,      &TradeModel::netProfit,
    &TradeModel::grossProfit,     &TradeModel::grossLoss,
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string formatInt(std::int32_t value) {
    char buffer[64] = {};
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return buffer;
}

std::string formatReal(double value) {
    // The sign of a NaN carries no meaning; without this the formatted output
    // would print "-nan" for the NaN that 0.0 / 0.0 gives on this platform.
    if (std::isnan(value)) value = std::fabs(value);
    char buffer[64] = {};
    std::snprintf(buffer, sizeof buffer, "%10.6f", value);
    return buffer;
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
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::filesystem::path performanceFilePath(const std::filesystem::path& startDirectory,
                                          std::string_view productName) {
    return startDirectory / (fileStem(productName) + ".pfm");
}

bool saveTradeModel(const TradeModel& model, const std::filesystem::path& path) {
    FilePtr file(std::fopen(path.c_str(), "w"));
    if (!file) return false;
    for (std::size_t i = 0; i < fileLines.size(); ++i) {
        std::string line = formatLine(model, fileLines[i]);
        if (i + 1 < fileLines.size()) line += '\n';
        std::fputs(line.c_str(), file.get());
    }
    const bool writeFailed = std::ferror(file.get()) != 0;
    return std::fclose(file.release()) == 0 && !writeFailed;
}

bool loadTradeModel(TradeModel& model, const std::filesystem::path& path) {
    FilePtr file(std::fopen(path.c_str(), "r"));
    if (!file) return false;
    std::string content;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) content.append(chunk, got);
    if (std::ferror(file.get()) != 0) return false;  // a directory, say
    const std::vector<std::string> lines = splitLines(content);
    for (std::size_t i = 0; i < fileLines.size(); ++i)
        readLine(model, fileLines[i], i < lines.size() ? lines[i] : std::string());
    return true;
}

}  // namespace varkel
