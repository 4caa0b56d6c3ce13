#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// The exports a trader brings: a broker platform's history
// ("2008.01.16,00:00,106.770,107.920,105.920,107.630,18810", the time and the
// volume optional, the date always dotted) or a spreadsheet's CSV with a header
// naming Date, Open, High, Low and Close in any order (dates YYYY-MM-DD,
// YYYY/MM/DD or YYYYMMDD, years 1000 to 9999, comma or semicolon separated).
// Both are read as CSV (RFC 4180): a field in double quotes may hold the
// separator, line ends and doubled quotes; every record of a CSV must have as
// many fields as its header; every bar must be possible (high at or above the
// open and close, low at or below them, prices above zero) or its line is
// skipped.
enum class ImportFormat { Auto, Broker, Ohlc };

enum class SkipReason {
    TooFewFields,   // fewer fields than the format's date and four prices
    BadDate,        // not a date of the calendar in the format's form
    BadPrice,       // a price that is not a positive decimal number
    RepeatedDate,   // a date already imported from an earlier line
    FieldCount,     // a CSV record with more or fewer fields than its header
    UnclosedQuote,  // a quoted field still open at the end of the source
    ImpossibleBar,  // high below open or close, or low above them
};

// A broker's daily export over decades is a few megabytes; anything beyond
// this is not one (or a device that never ends) and is not read.
inline constexpr std::size_t maxImportFileBytes = 256 * 1024 * 1024;

struct SkippedLine {
    int lineNumber = 0;  // 1-based, in the source: the line the record begins on
    SkipReason reason = SkipReason::BadDate;
};

enum class ImportOutcome {
    Converted,      // at least one bar
    UnknownFormat,  // the first line is neither a broker bar nor a header naming the five columns
    NoBars,         // the format was clear but no line gave a bar
};

// A source converted to the program's price file: one "YYYYMMDD,o,h,l,c" line
// per bar, prices in hundredths rounded to nearest (half away from zero),
// oldest first; of several lines with the same date the first is kept.
struct PriceConversion {
    ImportOutcome outcome = ImportOutcome::NoBars;
    ImportFormat format = ImportFormat::Auto;  // the format read (chosen, when auto)
    std::string priceText;
    int bars = 0;
    int firstDate = 0;  // YYYYMMDD of the oldest and newest bar
    int lastDate = 0;
    int skippedCount = 0;
    std::vector<SkippedLine> firstSkipped;  // the first maxNamedSkips of them, in line order

    static constexpr std::size_t maxNamedSkips = 20;
    void skip(int lineNumber, SkipReason reason);
    void keepFirstSkipped();
};

PriceConversion convertPriceText(std::string_view source, ImportFormat format);

enum class ImportStatus { Imported, Unreadable, NotConverted, WriteFailed };

struct PriceImport {
    ImportStatus status = ImportStatus::Unreadable;
    bool tooLarge = false;  // Unreadable: larger than maxImportFileBytes
    PriceConversion conversion;
    std::string writeError;  // why the target could not be written
};

// Reads `from` (a device, or a file larger than maxImportFileBytes, is
// Unreadable with tooLarge before anything is read), converts it and writes
// the price file `to` through the door (price_history_write.h): an existing
// target is replaced whole or, on any failure, left as it was. Nothing is
// written unless at least one bar was converted and the price-file reader
// would load every bar of the result within its size cap (WriteFailed with
// the line named otherwise).
PriceImport importPriceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                            ImportFormat format);

// "broker export", "OHLC CSV"; "auto" for Auto.
std::string_view importFormatName(ImportFormat format);
std::string_view skipReasonText(SkipReason reason);

}  // namespace varkel
