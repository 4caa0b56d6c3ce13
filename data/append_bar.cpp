#include "data/append_bar.h"

#include "base/formatted_text.h"
#include "data/price_file.h"
#include "data/price_history_write.h"
#include "base/text_lines.h"
#include "base/whole_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <filesystem>

namespace varkel {

namespace {

// The last field of the last line of `content` that holds a bar (four commas
// or more), read as the reader reads prices.
std::optional<double> lastCloseField(std::string_view content) {
    std::optional<double> last;
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        if (std::count(line.begin(), line.end(), ',') < 4) continue;
        std::size_t field = 0;
        for (int comma = 0; comma < 4; ++comma) field = line.find(',', field) + 1;
        const std::string close(line.substr(field, line.find(',', field) - field));
        char* end = nullptr;
        const double value = std::strtod(close.c_str(), &end);
        if (end != close.c_str()) last = value;
    }
    return last;
}

struct Entry {
    const std::string* text;
    int* value;
    AppendField field;
    const char* name;
};

AppendCheck refuseEntry(const Entry& entry, const std::string& why) {
    AppendCheck refused;
    refused.field = entry.field;
    refused.message = std::string(entry.name) + " \"" + *entry.text + "\" " + why;
    return refused;
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whole digits that fit an int.
bool readWholeNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// A date of eight digits, year, month and day, that the calendar has.
AppendCheck convertDate(const Entry& entry) {
    const std::string& text = *entry.text;
    if (text.size() != 8 || !allDigits(text) || !readWholeNumber(text, *entry.value) ||
        !isCalendarDate(*entry.value))
        return refuseEntry(entry, "is not a date; type eight digits, year, month and day (20240716).");
    return {};
}

// A price in hundredths: whole digits as typed (12031 for 120.31), or a
// decimal price with at most two decimals converted to hundredths (120.3 and
// 120.30 both give 12030). A third decimal would be dropped without a word.
AppendCheck convertPrice(const Entry& entry) {
    const std::string& text = *entry.text;
    const std::size_t point = text.find('.');
    const std::string_view whole = std::string_view(text).substr(0, point);
    const std::string_view decimals =
        point == std::string::npos ? std::string_view() : std::string_view(text).substr(point + 1);
    if (whole.empty() || !allDigits(whole) || !allDigits(decimals) || (point != std::string::npos && decimals.empty()))
        return refuseEntry(entry, "is not a price; type digits, with at most two decimals after a point.");
    if (decimals.size() > 2)
        return refuseEntry(entry, "has more than two decimals; prices are kept in hundredths.");
    int units = 0;
    if (!readWholeNumber(whole, units)) return refuseEntry(entry, "is too large.");
    if (point == std::string::npos) {
        *entry.value = units;
        return {};
    }
    int fraction = 0;
    readWholeNumber(decimals, fraction);  // one or two digits
    if (decimals.size() == 1) fraction *= 10;
    const std::int64_t hundredths = std::int64_t{units} * 100 + fraction;
    if (hundredths > std::numeric_limits<int>::max()) return refuseEntry(entry, "is too large.");
    *entry.value = static_cast<int>(hundredths);
    return {};
}

AppendCheck convertEntry(const Entry& entry) {
    if (entry.text->empty()) {
        AppendCheck refused;
        refused.field = entry.field;
        refused.message = std::string(entry.name) + " is empty.";
        return refused;
    }
    return entry.field == AppendField::Date ? convertDate(entry) : convertPrice(entry);
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
        if (const std::optional<int> value = eightDigitDate(date); value && *value >= 10000000) last = value;
    }
    return last;
}

std::filesystem::path folderOf(const std::string& path) {
    const std::filesystem::path target(path);
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// The price file's text as it is now: empty for a file that does not exist yet,
// nullopt (with the reason) when it exists but cannot be read, is too large,
// or lies in a folder that does not exist.
std::optional<std::string> currentContent(const std::string& path, std::string& reason) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    if (!fs::is_directory(folderOf(path), error)) {
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

std::optional<double> lastFileClose(const std::string& path) {
    std::string reason;
    const std::optional<std::string> content = currentContent(path, reason);
    if (!content) return std::nullopt;
    return lastCloseField(*content);
}

bool closeJumpsFar(double lastClose, int close) {
    return lastClose > 0.0 && std::abs(close - lastClose) > closeJumpFraction * lastClose;
}

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
    // 158.30 beside 190 would be read as 158.30 and 1.90: the trader meant one
    // unit, and which one cannot be told.
    const auto hasPoint = [](const std::string& text) { return text.find('.') != std::string::npos; };
    for (const Entry& entry : std::span(entries).subspan(2))
        if (hasPoint(*entry.text) != hasPoint(request.open))
            return refuse("Type the four prices in one form: all with a decimal point (158.30) or all in "
                          "hundredths (15830).",
                          entry.field);
    if (values.high < values.low)
        return refuse("High Price " + priceInYen(values.high) + " is below Low Price " + priceInYen(values.low) + ".",
                      AppendField::High);
    const auto outsideRange = [&values](int price) { return price < values.low || price > values.high; };
    const std::string range = " is outside Low..High (" + priceInYen(values.low) + ".." + priceInYen(values.high) + ").";
    if (outsideRange(values.open)) return refuse("Open Price " + priceInYen(values.open) + range, AppendField::Open);
    if (outsideRange(values.close)) return refuse("Close Price " + priceInYen(values.close) + range, AppendField::Close);
    if (values.low <= 0)
        return refuse("Low Price " + priceInYen(values.low) + " is not above zero; no market trades there.",
                      AppendField::Low);
    AppendCheck accepted;
    accepted.values = values;
    return accepted;
}

std::string priceInYen(double hundredths) {
    return formattedText("%.2f", hundredths / 100.0);
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
    const auto failed = [&result](std::string message) {
        result.status = AppendStatus::FileFailed;
        result.message = std::move(message);
        return result;
    };
    std::error_code error;
    if (!std::filesystem::is_directory(folderOf(path), error)) return failed(appendOpenFailedMessage);
    // The file is read under its lock and written anew whole: a second append
    // in the meantime waits, and a full disk never leaves half a line, which
    // would read as a bar with a wrong close.
    bool dateRefused = false;
    const OwnedWrite written = changePriceHistory(path, PriceHistoryWrite::Change, [&](const auto& current) {
        const std::string content = current.value_or(std::string());
        if (const int cut = cutShortLastLine(content))
            return OwnedFileChange::refuse("The last line of " + path + " (line " + std::to_string(cut) +
                                           ") holds only part of a bar; correct or remove it before appending.");
        const std::optional<int> lastDate = lastEightDigitDate(content);
        if (lastDate && values.date <= *lastDate) {
            dateRefused = true;
            return OwnedFileChange::refuse("Date to be added " + std::to_string(values.date) +
                                           " is not later than the file's last date " + std::to_string(*lastDate) +
                                           ".");
        }
        result.line = formatPriceLine(values);
        const bool needsLineEnd = !content.empty() && content.back() != '\n' && content.back() != '\r';
        return OwnedFileChange::to(content + (needsLineEnd ? "\n" : "") + result.line + "\n");
    });
    if (dateRefused) {
        result.line.clear();
        result.message = written.message;
        result.field = AppendField::Date;
        return result;
    }
    if (!written) {
        result.line.clear();
        // A file there that cannot be read (a folder, say) is the message the
        // windows know; one too large says so.
        const bool cannotOpen =
            written.status == OwnedWriteStatus::Unreadable && written.message != priceFileTooLargeMessage(path);
        return failed(cannotOpen ? std::string(appendOpenFailedMessage) : written.message);
    }
    result.status = AppendStatus::Appended;
    return result;
}

}  // namespace varkel
