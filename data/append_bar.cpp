#include "data/append_bar.h"

#include "data/atomic_file.h"
#include "data/formatted_text.h"
#include "data/price_file.h"
#include "data/text_lines.h"
#include "data/whole_file.h"

#include <charconv>
#include <filesystem>

namespace varkel {

namespace {

// The dates that the file keeps as year, month and day.
bool isEightDigitDate(int value) { return value >= 10000000 && value <= 99999999; }

struct Entry {
    const std::string* text;
    int* value;
    AppendField field;
    const char* name;
};

// A whole entry of decimal digits that fits an int.
AppendCheck convertEntry(const Entry& entry) {
    AppendCheck refused;
    refused.field = entry.field;
    const std::string& text = *entry.text;
    if (text.empty()) {
        refused.message = std::string(entry.name) + " is empty.";
        return refused;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            refused.message = std::string(entry.name) + " \"" + text +
                              "\" is not a whole number; type digits only, no decimal point.";
            return refused;
        }
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *entry.value);
    if (error != std::errc() || end != text.data() + text.size()) {
        refused.message = std::string(entry.name) + " \"" + text + "\" is too large.";
        return refused;
    }
    return {};
}

AppendCheck refuse(std::string message, AppendField field) {
    AppendCheck refused;
    refused.message = std::move(message);
    refused.field = field;
    return refused;
}

// The last eight-digit date of a price file's text.
std::optional<int> lastEightDigitDate(std::string_view content) {
    std::optional<int> last;
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        const std::string_view date = line.substr(0, line.find(','));
        int value = 0;
        const auto [end, error] = std::from_chars(date.data(), date.data() + date.size(), value);
        if (date.size() == 8 && error == std::errc() && end == date.data() + date.size() &&
            isEightDigitDate(value))
            last = value;
    }
    return last;
}

// The price file's text as it is now: empty for a file that does not exist yet,
// nullopt (with the reason) when it exists but cannot be read, is too large,
// or lies in a folder that does not exist.
std::optional<std::string> currentContent(const std::string& path, std::string& reason) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) {
        reason = appendOpenFailedMessage;
        return std::nullopt;
    }
    if (!fs::exists(target, error) && !error) return std::string();
    bool tooLarge = false;
    auto content = readWholeFile(target, maxPriceFileBytes, &tooLarge);
    if (!content) reason = tooLarge ? priceFileTooLargeMessage(path) : std::string(appendOpenFailedMessage);
    return content;
}

}  // namespace

AppendCheck checkAppendRequest(const AppendRequest& request) {
    PriceLineValues values;
    const Entry entries[] = {
        {&request.date, &values.date, AppendField::Date, "Date to be added"},
        {&request.open, &values.open, AppendField::Open, "Open Price"},
        {&request.high, &values.high, AppendField::High, "High Price"},
        {&request.low, &values.low, AppendField::Low, "Low Price"},
        {&request.close, &values.close, AppendField::Close, "Close Price"},
    };
    for (const Entry& entry : entries) {
        AppendCheck converted = convertEntry(entry);
        if (!converted.message.empty()) return converted;
    }
    if (values.high < values.low)
        return refuse("High Price " + std::to_string(values.high) + " is below Low Price " +
                          std::to_string(values.low) + ".",
                      AppendField::High);
    const auto outsideRange = [&values](int price) { return price < values.low || price > values.high; };
    if (outsideRange(values.open))
        return refuse("Open Price " + std::to_string(values.open) + " is outside Low..High (" +
                          std::to_string(values.low) + ".." + std::to_string(values.high) + ").",
                      AppendField::Open);
    if (outsideRange(values.close))
        return refuse("Close Price " + std::to_string(values.close) + " is outside Low..High (" +
                          std::to_string(values.low) + ".." + std::to_string(values.high) + ").",
                      AppendField::Close);
    AppendCheck accepted;
    accepted.values = values;
    return accepted;
}

std::string formatPriceLine(const PriceLineValues& values) {
    return formattedText("%d,%d,%d,%d,%d", values.date, values.open, values.high, values.low, values.close);
}

AppendResult appendPriceLine(const std::string& path, const AppendRequest& request) {
    AppendResult result;
    const AppendCheck check = checkAppendRequest(request);
    if (!check) {
        result.message = check.message;
        result.field = check.field;
        return result;
    }
    const PriceLineValues& values = *check.values;
    std::string reason;
    const std::optional<std::string> content = currentContent(path, reason);
    if (!content) {
        result.status = AppendStatus::FileFailed;
        result.message = reason;
        return result;
    }
    const std::optional<int> lastDate = lastEightDigitDate(*content);
    if (isEightDigitDate(values.date) && lastDate && values.date <= *lastDate) {
        result.message = "Date to be added " + std::to_string(values.date) +
                         " is not later than the file's last date " + std::to_string(*lastDate) + ".";
        result.field = AppendField::Date;
        return result;
    }
    result.line = formatPriceLine(values);
    // The whole file is written anew and renamed over the old one: a full disk
    // never leaves half a line, which would read as a bar with a wrong close.
    const bool needsLineEnd = !content->empty() && content->back() != '\n' && content->back() != '\r';
    const std::string updated = *content + (needsLineEnd ? "\n" : "") + result.line + "\n";
    if (!writeFileAtomically(path, updated, &reason)) {
        result.status = AppendStatus::FileFailed;
        result.message = reason;
        return result;
    }
    result.status = AppendStatus::Appended;
    return result;
}

}  // namespace varkel
