#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// The exports a trader brings: a broker platform's history
// ("2008.01.16,00:00,106.770,107.920,105.920,107.630,18810", the time and the
// volume optional) or a spreadsheet's CSV with a header naming Date, Open,
// High, Low and Close in any order (dates YYYY-MM-DD, YYYY/MM/DD or YYYYMMDD,
// comma or semicolon separated).
enum class ImportFormat { Auto, Broker, Ohlc };

enum class SkipReason {
    TooFewFields,   // fewer fields than the format's date and four prices
    BadDate,        // not a date of the calendar in the format's form
    BadPrice,       // a price that is not a positive decimal number
    RepeatedDate,   // a date already imported from an earlier line
};

struct SkippedLine {
    int lineNumber = 0;  // 1-based, in the source
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
    std::vector<SkippedLine> skipped;  // in line order
};

PriceConversion convertPriceText(std::string_view source, ImportFormat format);

enum class ImportStatus { Imported, Unreadable, NotConverted, WriteFailed };

struct PriceImport {
    ImportStatus status = ImportStatus::Unreadable;
    PriceConversion conversion;
    std::string writeError;  // why the target could not be written
};

// Reads `from`, converts it and writes the price file `to` atomically: an
// existing target is replaced whole or, on any failure, left as it was.
// Nothing is written unless at least one bar was converted.
PriceImport importPriceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                            ImportFormat format);

// "broker export", "OHLC CSV"; "auto" for Auto.
std::string_view importFormatName(ImportFormat format);
std::string_view skipReasonText(SkipReason reason);

}  // namespace varkel
