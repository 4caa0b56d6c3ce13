#include "data/price_import.h"

#include "base/csv_rows.h"
#include "base/whole_file.h"
#include "data/calendar_date.h"
#include "data/price_history_write.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>

namespace varkel {

namespace {

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

// A field without surrounding blanks.
std::string_view trimmed(std::string_view field) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!field.empty() && blank(field.front())) field.remove_prefix(1);
    while (!field.empty() && blank(field.back())) field.remove_suffix(1);
    return field;
}

// The fields of a record, trimmed; they point into the record.
std::vector<std::string_view> fieldsOf(const CsvRow& row) {
    std::vector<std::string_view> fields;
    fields.reserve(row.fields.size());
    for (const std::string& field : row.fields) fields.push_back(trimmed(field));
    return fields;
}

bool isBlankRow(const CsvRow& row) { return row.fields.size() == 1 && isBlank(row.fields.front()); }

std::optional<int> digitsValue(std::string_view text, std::size_t least, std::size_t most) {
    if (text.size() < least || text.size() > most) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// YYYYMMDD of "2024-07-15", "2024/7/15", "2024.07.15" (with the given
// separators) or, where `compactToo`, "20240715"; anything after a blank or a
// 'T' (a time) is ignored.
std::optional<int> parseDate(std::string_view text, std::string_view separators, bool compactToo) {
    text = text.substr(0, text.find_first_of(" T"));
    if (const auto compact = eightDigitDate(text); compact && compactToo)
        return isCalendarDate(*compact) ? compact : std::nullopt;
    const std::size_t first = text.find_first_of(separators);
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = text.find(text[first], first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto year = digitsValue(text.substr(0, first), 4, 4);
    const auto month = digitsValue(text.substr(first + 1, second - first - 1), 1, 2);
    const auto day = digitsValue(text.substr(second + 1), 1, 2);
    if (!year || !month || !day) return std::nullopt;
    return calendarDate(*year, *month, *day);
}

// Hundredths of a positive decimal price, rounded half away from zero on the
// decimal digits themselves (no binary fraction can tip a half).
std::optional<std::int64_t> parseHundredths(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 12) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    int decimals[3] = {0, 0, 0};
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        if (fraction[i] < '0' || fraction[i] > '9') return std::nullopt;
        if (i < 3) decimals[i] = fraction[i] - '0';
    }
    value = value * 100 + decimals[0] * 10 + decimals[1] + (decimals[2] >= 5 ? 1 : 0);
    if (value <= 0) return std::nullopt;
    return value;
}

struct ImportedBar {
    int date;
    std::array<std::int64_t, 4> prices;  // open, high, low, close
    int line;
};

// Where the date and the four prices stand in a line of the source.
struct Columns {
    std::size_t date = 0;
    std::array<std::size_t, 4> prices{};
    std::string_view dateSeparators;
    bool compactDates = true;
    std::size_t headerFields = 0;  // every record must have as many; 0 for a broker export
};

// "2008.01.16,00:00,106.770,..." or, without the time, "2008.01.16,106.770,...".
Columns brokerColumns(const std::vector<std::string_view>& fields) {
    const std::size_t first = fields.size() > 1 && fields[1].find(':') != std::string_view::npos ? 2 : 1;
    // Eight digits alone would be this program's own format, whose prices are
    // hundredths already: a broker export always dots its dates.
    return Columns{0, {first, first + 1, first + 2, first + 3}, ".", false, 0};
}

// A dotted date first; an eight-digit date alone could be this program's own
// format, whose prices are already hundredths.
bool looksLikeBroker(const std::vector<std::string_view>& fields) {
    return !fields.empty() && fields[0].find('.') != std::string_view::npos &&
           parseDate(fields[0], ".", false).has_value();
}

std::optional<Columns> headerColumns(const std::vector<std::string_view>& fields) {
    const auto named = [&fields](std::initializer_list<std::string_view> names) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string lower(fields[i]);
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            for (const std::string_view name : names)
                if (lower == name) return i;
        }
        return std::nullopt;
    };
    const auto date = named({"date", "timestamp"});
    const auto open = named({"open"});
    const auto high = named({"high"});
    const auto low = named({"low"});
    const auto close = named({"close"});
    if (!date || !open || !high || !low || !close) return std::nullopt;
    return Columns{*date, {*open, *high, *low, *close}, "-/", true, fields.size()};
}

// A bar a market can have traded: the high at or above the open and the
// close, the low at or below them, every price above zero.
bool isPossibleBar(const std::array<std::int64_t, 4>& p) {
    const auto [open, high, low, close] = p;
    return low > 0 && high >= std::max(open, close) && low <= std::min(open, close);
}

std::optional<ImportedBar> readBar(const std::vector<std::string_view>& fields, const Columns& columns, int line,
                                   SkipReason& reason) {
    if (columns.headerFields != 0 && fields.size() != columns.headerFields) {
        reason = SkipReason::FieldCount;
        return std::nullopt;
    }
    const std::size_t needed = std::max(columns.date, *std::max_element(columns.prices.begin(), columns.prices.end()));
    if (fields.size() <= needed) {
        reason = SkipReason::TooFewFields;
        return std::nullopt;
    }
    const auto date = parseDate(fields[columns.date], columns.dateSeparators, columns.compactDates);
    if (!date) {
        reason = SkipReason::BadDate;
        return std::nullopt;
    }
    ImportedBar bar{*date, {}, line};
    for (std::size_t p = 0; p < 4; ++p) {
        const auto price = parseHundredths(fields[columns.prices[p]]);
        if (!price) {
            reason = SkipReason::BadPrice;
            return std::nullopt;
        }
        bar.prices[p] = *price;
    }
    if (!isPossibleBar(bar.prices)) {
        reason = SkipReason::ImpossibleBar;
        return std::nullopt;
    }
    return bar;
}

}  // namespace

void PriceConversion::skip(int lineNumber, SkipReason reason) {
    ++skippedCount;
    firstSkipped.push_back({lineNumber, reason});
    // Kept small as the lines go by: only the first in line order are named.
    if (firstSkipped.size() >= 2 * maxNamedSkips) keepFirstSkipped();
}

void PriceConversion::keepFirstSkipped() {
    std::stable_sort(firstSkipped.begin(), firstSkipped.end(),
                     [](const SkippedLine& a, const SkippedLine& b) { return a.lineNumber < b.lineNumber; });
    if (firstSkipped.size() > maxNamedSkips) firstSkipped.resize(maxNamedSkips);
}

PriceConversion convertPriceText(std::string_view source, ImportFormat format) {
    PriceConversion result;
    result.format = format;
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
    // One record at a time: memory follows the bars kept, not the lines read.
    CsvRecords records(source, csvSeparatorOf(source));
    CsvRow row;
    bool first = true;
    std::optional<Columns> header;  // the columns a header names; none for a broker export
    std::vector<ImportedBar> bars;
    while (records.next(row)) {
        if (isBlankRow(row)) continue;
        if (first) {
            first = false;
            const std::vector<std::string_view> firstFields = fieldsOf(row);
            if (format == ImportFormat::Auto)
                result.format = looksLikeBroker(firstFields) ? ImportFormat::Broker : ImportFormat::Ohlc;
            if (result.format == ImportFormat::Ohlc) {
                header = headerColumns(firstFields);
                if (!header) {
                    result.format = format;
                    result.outcome = ImportOutcome::UnknownFormat;
                    return result;
                }
                continue;
            }
        }
        if (row.unclosedQuote) {
            result.skip(row.lineNumber, SkipReason::UnclosedQuote);
            continue;
        }
        const std::vector<std::string_view> fields = fieldsOf(row);
        SkipReason reason{};
        if (auto bar = readBar(fields, header ? *header : brokerColumns(fields), row.lineNumber, reason))
            bars.push_back(*bar);
        else
            result.skip(row.lineNumber, reason);
    }
    if (first) return result;

    std::stable_sort(bars.begin(), bars.end(), [](const ImportedBar& a, const ImportedBar& b) { return a.date < b.date; });
    int previous = 0;
    for (const ImportedBar& bar : bars) {
        if (bar.date == previous) {
            result.skip(bar.line, SkipReason::RepeatedDate);
            continue;
        }
        previous = bar.date;
        char text[128];
        std::snprintf(text, sizeof text, "%d,%lld,%lld,%lld,%lld\n", bar.date, static_cast<long long>(bar.prices[0]),
                      static_cast<long long>(bar.prices[1]), static_cast<long long>(bar.prices[2]),
                      static_cast<long long>(bar.prices[3]));
        result.priceText += text;
        if (result.bars == 0) result.firstDate = bar.date;
        result.lastDate = bar.date;
        ++result.bars;
    }
    result.keepFirstSkipped();
    result.outcome = result.bars > 0 ? ImportOutcome::Converted : ImportOutcome::NoBars;
    return result;
}

PriceImport importPriceFile(const std::filesystem::path& from, const std::filesystem::path& to, ImportFormat format) {
    PriceImport result;
    // The size is known before a byte is read: a sparse file or a device
    // that never ends is refused at once rather than after 256 MB.
    struct stat source {};
    if (::stat(from.c_str(), &source) == 0 &&
        (S_ISCHR(source.st_mode) || S_ISBLK(source.st_mode) ||
         static_cast<std::uintmax_t>(source.st_size) > maxImportFileBytes)) {
        result.tooLarge = true;
        return result;
    }
    const std::optional<std::string> text = readWholeFile(from, maxImportFileBytes, &result.tooLarge);
    if (!text) return result;
    result.conversion = convertPriceText(*text, format);
    if (result.conversion.outcome != ImportOutcome::Converted) {
        result.status = ImportStatus::NotConverted;
        return result;
    }
    // A new history whole: the reader must load every one of its bars, and
    // it must fit the reader's size, or the file there stays as it was.
    const OwnedWrite written = changePriceHistory(to, PriceHistoryWrite::Replace, [&result](const auto&) {
        return OwnedFileChange::to(result.conversion.priceText);
    });
    result.status = written ? ImportStatus::Imported : ImportStatus::WriteFailed;
    result.writeError = written.message;
    return result;
}

std::string_view importFormatName(ImportFormat format) {
    switch (format) {
        case ImportFormat::Broker: return "broker export";
        case ImportFormat::Ohlc: return "OHLC CSV";
        case ImportFormat::Auto: break;
    }
    return "auto";
}

std::string_view skipReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::TooFewFields: return "too few fields";
        case SkipReason::BadDate: return "not a date";
        case SkipReason::BadPrice: return "a price is not a positive decimal number";
        case SkipReason::RepeatedDate: return "repeated date";
        case SkipReason::FieldCount: return "not as many fields as the header names";
        case SkipReason::UnclosedQuote: return "a quoted field is not closed before the end of the file";
        case SkipReason::ImpossibleBar: return "not a possible bar (high below open or close, or low above them)";
    }
    return {};
}

}  // namespace varkel
