#include "report/strategy_file.h"

#include "report/strategy_line.h"

#include <optional>
#include <system_error>
#include <vector>

namespace varkel {

std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName) {
    return startDirectory / "strategy" / (fileStem(productName) + ".csv");
}

namespace {

// A date of eight digits, four prices of ten, a position, two P&Ls of ten,
// the commas and the line end: one allocation for the whole file.
constexpr std::size_t typicalStrategyLineBytes = 80;

// The number of the first line of `text` without the seven commas of a bar's
// eight fields, 0 when every line holds them. Lines end as nextLine reads
// them (LF, CR LF, a lone CR), here in one pass over the bytes: every signal
// checks a file of thousands of lines before it goes in place.
int firstLineWithoutEightFields(std::string_view text) {
    int number = 0;
    int commas = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') {
            ++commas;
        } else if (c == '\n' || c == '\r') {
            ++number;
            if (commas != 7) return number;
            commas = 0;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    const bool lastLineOpen = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return lastLineOpen && commas != 7 ? number + 1 : 0;
}

}  // namespace

const OwnedFileRules& strategyFileRules() {
    // The file a spreadsheet opens: every line the eight fields of a bar.
    static const OwnedFileRules rules{
        "strategy file", maxStrategyFileBytes,
        [](const std::optional<std::string>&, std::string_view next) -> std::optional<std::string> {
            const int line = firstLineWithoutEightFields(next);
            if (line == 0) return std::nullopt;
            return "line " + std::to_string(line) + " would not hold the eight fields of a bar";
        }};
    return rules;
}

namespace {

// appendStrategyLine writes seven commas and one line feed around a date and
// numbers, position and spellings of nan and inf that hold neither a comma nor
// a line end; so every line it writes holds the eight fields of a bar when no
// date does either, and the text need not be walked again byte by byte.
bool datesKeepLinesWhole(const std::vector<Bar>& bars) {
    for (const Bar& bar : bars)
        for (const char c : bar.dateText)
            if (c == ',' || c == '\n' || c == '\r') return false;
    return true;
}

// The strategy file's rules for a text made by appendStrategyLine from dates
// that keep its lines whole: the same name and cap, the line check proven.
const OwnedFileRules& formattedStrategyFileRules() {
    static const OwnedFileRules rules{strategyFileRules().what, strategyFileRules().maxBytes, {}};
    return rules;
}

}  // namespace

std::optional<OwnedFileEdit> strategyFileEdit(const ProductRegistry& registry, std::string_view productName,
                                              const std::filesystem::path& startDirectory, std::string* error) {
    const Product* product = registry.findProduct(productName);
    if (product == nullptr) {
        if (error != nullptr) *error = "No product " + std::string(productName);
        return std::nullopt;
    }
    const std::filesystem::path path = strategyFilePath(startDirectory, productName);
    std::error_code ignored;  // a folder that cannot be made fails the write
    std::filesystem::create_directories(path.parent_path(), ignored);
    // Each line as long as its numbers need: a fixed buffer would cut a long
    // line and join it to the next bar's.
    std::string content;
    content.reserve(product->bars.size() * typicalStrategyLineBytes);
    for (const Bar& bar : product->bars) appendStrategyLine(content, bar);
    const OwnedFileRules* rules =
        datesKeepLinesWhole(product->bars) ? &formattedStrategyFileRules() : &strategyFileRules();
    // The text moves into the one write it was made for; an edit used again
    // is refused rather than writing an empty file.
    return OwnedFileEdit{path, rules,
                         [path, content = std::optional<std::string>(std::move(content))](const auto&) mutable {
                             if (!content)
                                 return OwnedFileChange::refuse("The strategy file " + path.string() +
                                                                " was already written from this text once.");
                             OwnedFileChange change = OwnedFileChange::to(std::move(*content));
                             content.reset();
                             return change;
                         }};
}

bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory, std::string* error) {
    const std::optional<OwnedFileEdit> edit = strategyFileEdit(registry, productName, startDirectory, error);
    if (!edit) return false;
    const OwnedWrite written = changeOwnedFile(*edit);
    if (!written && error != nullptr) *error = written.message;
    return static_cast<bool>(written);
}

}  // namespace varkel
