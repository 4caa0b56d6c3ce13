#include "data/append_bar.h"

#include "data/whole_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>

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

// What the append has to know about the file already there.
struct FileTail {
    std::optional<int> lastEightDigitDate;
    bool needsLineEnd = false;
};

FileTail readFileTail(const std::string& path) {
    FileTail tail;
    const auto read = readWholeFile(path);
    if (!read) return tail;
    const std::string& content = *read;
    tail.needsLineEnd = !content.empty() && content.back() != '\n';
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string_view line(content.data() + start, end - start);
        start = end + 1;
        const std::string_view date = line.substr(0, line.find(','));
        int value = 0;
        const auto [last, error] = std::from_chars(date.data(), date.data() + date.size(), value);
        if (date.size() == 8 && error == std::errc() && last == date.data() + date.size() &&
            isEightDigitDate(value))
            tail.lastEightDigitDate = value;
    }
    return tail;
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
    char line[64];
    std::snprintf(line, sizeof line, "%d,%d,%d,%d,%d", values.date, values.open, values.high,
                  values.low, values.close);
    return line;
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
    const FileTail tail = readFileTail(path);
    if (isEightDigitDate(values.date) && tail.lastEightDigitDate && values.date <= *tail.lastEightDigitDate) {
        result.message = "Date to be added " + std::to_string(values.date) +
                         " is not later than the file's last date " +
                         std::to_string(*tail.lastEightDigitDate) + ".";
        result.field = AppendField::Date;
        return result;
    }
    std::ofstream file(path, std::ios::app);
    if (!file) {
        result.status = AppendStatus::FileFailed;
        result.message = appendOpenFailedMessage;
        return result;
    }
    result.line = formatPriceLine(values);
    if (tail.needsLineEnd) file << '\n';
    file << result.line << '\n';
    file.close();
    if (!file) {
        result.status = AppendStatus::FileFailed;
        result.message = "Failed to write " + path;
        return result;
    }
    result.status = AppendStatus::Appended;
    return result;
}

}  // namespace varkel
