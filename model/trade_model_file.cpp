#include "model/trade_model_file.h"

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

using Field = std::variant<StudyKind*, std::int32_t*, double*>;

// The lines of the file in order: each layer's kind, spans (three for the
// base, a span and a spare for a filter) and setting, then the measures. The
// Kelly value comes before the Sharpe ratio, the reverse of the record's
// order; stored files rely on it.
std::array<Field, tradeModelFileLines> fileLines(TradeModel& model) {
    Layer& base = model.layers[0];
    Layer& second = model.layers[1];
    Layer& third = model.layers[2];
    return {&base.kind,          &base.p.spans[0],   &base.p.spans[1],    &base.p.spans[2],
            &base.p.setting,     &second.kind,       &second.p.spans[0],  &second.p.spans[1],
            &second.p.setting,   &third.kind,        &third.p.spans[0],   &third.p.spans[1],
            &third.p.setting,    &model.kellyFormula, &model.sharpeRatio, &model.winningRate,
            &model.losingRate,   &model.winCount,    &model.lossCount,    &model.tradeCount,
            &model.netProfit,    &model.grossProfit, &model.grossLoss};
}

// The rates of a model's trades: 0 / 0 for a model that never traded, which
// a build on a few bars can give. Any other "nan" comes from broken prices.
bool isTradeRate(const TradeModel& model, const double* field) {
    return field == &model.kellyFormula || field == &model.winningRate || field == &model.losingRate;
}

std::string formatInt(std::int32_t value) { return formattedText("%d", value); }

std::string formatReal(double value) { return formattedText("%10s", modelFileRealText(value).c_str()); }

std::string formatLine(const Field& field) {
    if (const auto* kind = std::get_if<StudyKind*>(&field)) return formatInt(static_cast<std::int32_t>(**kind));
    if (const auto* integer = std::get_if<std::int32_t*>(&field)) return formatInt(**integer);
    return formatReal(*std::get<double*>(field));
}

// Like atoi, but a number beyond the 32-bit range is clamped instead of undefined.
std::int32_t parseInt(const std::string& line) {
    const long value = std::strtol(line.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

void readLine(const Field& field, const std::string& line) {
    if (const auto* kind = std::get_if<StudyKind*>(&field))
        **kind = static_cast<StudyKind>(parseInt(line));
    else if (const auto* integer = std::get_if<std::int32_t*>(&field))
        **integer = parseInt(line);
    else
        *std::get<double*>(field) = std::strtod(line.c_str(), nullptr);
}

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < content.size();) lines.emplace_back(nextLine(content, start));
    return lines;
}

}  // namespace

std::string modelFileRealText(double value) {
    // The sign of a NaN carries no meaning; without this the formatted output
    // would print "-nan" for the NaN that 0.0 / 0.0 gives on this platform.
    if (std::isnan(value)) value = std::fabs(value);
    // Every digit is kept (1e100 takes 108 characters), so any value reads back.
    return formattedText("%.6f", value);
}

std::filesystem::path performanceFilePath(const std::filesystem::path& startDirectory,
                                          std::string_view productName) {
    return startDirectory / (fileStem(productName) + ".pfm");
}

std::optional<std::string> tradeModelText(const TradeModel& model, std::string* error) {
    TradeModel copy = model;
    const auto lines = fileLines(copy);
    std::string content;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto* real = std::get_if<double*>(&lines[i]);
            real && std::isnan(**real) && !(copy.tradeCount == 0 && isTradeRate(copy, *real))) {
            if (error != nullptr) *error = "line " + std::to_string(i + 1) + " of the model would be nan, not a number";
            return std::nullopt;
        }
        content += formatLine(lines[i]);
        if (i + 1 < lines.size()) content += '\n';
    }
    return content;
}

const OwnedFileRules& tradeModelRules() {
    // The model's own reader takes any text; what it must find is a number
    // on each of the 23 lines, or the next signal reads zeros.
    static const OwnedFileRules rules{
        "trade model file", maxTradeModelFileBytes,
        [](const std::optional<std::string>&, std::string_view next) -> std::optional<std::string> {
            const std::vector<std::string> lines = splitLines(next);
            if (lines.size() != tradeModelFileLines)
                return "it would hold " + std::to_string(lines.size()) + " lines, not " +
                       std::to_string(tradeModelFileLines);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                char* end = nullptr;
                std::strtod(lines[i].c_str(), &end);
                if (end == lines[i].c_str()) return "line " + std::to_string(i + 1) + " would hold no number";
            }
            return std::nullopt;
        }};
    return rules;
}

std::optional<OwnedFileEdit> tradeModelEdit(const TradeModel& model, const std::filesystem::path& path,
                                            std::string* error, std::optional<std::string> expectedText) {
    std::optional<std::string> content = tradeModelText(model, error);
    if (!content) return std::nullopt;
    return OwnedFileEdit{path, &tradeModelRules(),
                         [content = std::move(*content), expected = std::move(expectedText)](
                             const std::optional<std::string>& current) {
                             if (expected && current != expected)
                                 return OwnedFileChange::refuse(
                                     "another program changed it since it was read; it was left as that program "
                                     "wrote it");
                             return OwnedFileChange::to(content);
                         }};
}

bool saveTradeModel(const TradeModel& model, const std::filesystem::path& path, std::string* error,
                    const std::string* expectedText) {
    const std::optional<OwnedFileEdit> edit =
        tradeModelEdit(model, path, error, expectedText != nullptr ? std::optional(*expectedText) : std::nullopt);
    if (!edit) return false;
    const OwnedWrite written = changeOwnedFile(*edit);
    if (!written && error != nullptr) *error = written.message;
    return static_cast<bool>(written);
}

std::optional<std::string> readTradeModelText(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;  // missing, a folder, a FIFO
    return readWholeFile(path, maxTradeModelFileBytes);
}

void parseTradeModel(TradeModel& model, std::string_view text, int* linesRead) {
    const std::vector<std::string> lines = splitLines(text);
    const auto fields = fileLines(model);
    for (std::size_t i = 0; i < fields.size(); ++i) readLine(fields[i], i < lines.size() ? lines[i] : std::string());
    if (linesRead != nullptr) *linesRead = static_cast<int>(lines.size());
}

bool loadTradeModel(TradeModel& model, const std::filesystem::path& path, int* linesRead) {
    const auto content = readTradeModelText(path);
    if (!content) return false;
    parseTradeModel(model, *content, linesRead);
    return true;
}

}  // namespace varkel
