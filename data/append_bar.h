#pragma once

#include "data/calendar_date.h"
#include <optional>
#include <string>

namespace varkel {

inline constexpr const char* appendOpenFailedMessage = "Failed to open target file with append mode";

// The five entries of one hand-typed bar, as typed: the date as eight digits,
// prices in hundredths (12031) or with a decimal point (120.31).
struct AppendRequest {
    std::string date;
    std::string open;
    std::string high;
    std::string low;
    std::string close;
};

enum class AppendField { None, Date, Open, High, Low, Close };

struct PriceLineValues {
    int date = 0;
    int open = 0;
    int high = 0;
    int low = 0;
    int close = 0;
};

// The entries converted, or the reason they are refused and the entry to correct.
struct AppendCheck {
    std::optional<PriceLineValues> values;
    std::string message;
    AppendField field = AppendField::None;

    explicit operator bool() const { return values.has_value(); }
};

// The date must be a calendar date of eight digits (YYYYMMDD); a price is whole
// hundredths or a decimal price of at most two decimals, converted to
// hundredths; every value must fit an int. The four prices are all typed in
// one form, all with a decimal point or all without. The high may not lie
// below the low, and the open and close must lie within low..high; refusals
// show prices in yen.
AppendCheck checkAppendRequest(const AppendRequest& request);

// A new close this far from the file's last close is more likely a typing
// slip than a market move: the windows ask before appending it.
inline constexpr double closeJumpFraction = 0.10;

// The close of the last bar of the price file at `path` (in the file's
// hundredths), or nothing when it has none or cannot be read.
std::optional<double> lastFileClose(const std::string& path);

// Whether `close` lies more than closeJumpFraction away from `lastClose`.
bool closeJumpsFar(double lastClose, int close);

// A price the file keeps in hundredths as the trader reads it: 15830 -> "158.30".
std::string priceInYen(double hundredths);

// "date,open,high,low,close" without a line end.
std::string formatPriceLine(const PriceLineValues& values);

// Refused: an entry needs correcting. FileFailed: the file could not be read
// (appendOpenFailedMessage; also for a missing folder), is larger than a price
// file can be, or could not be written (the writer's reason).
enum class AppendStatus { Appended, Refused, FileFailed };

struct AppendResult {
    AppendStatus status = AppendStatus::Refused;
    std::string message;  // empty when appended
    AppendField field = AppendField::None;  // the entry to correct when refused
    std::string line;     // the line written, without its line end
};

// Checks the request, then refuses an eight-digit date that is not later than
// the file's last eight-digit date, then appends the line to the file at `path`
// (created when missing). A file that does not end with a line end gets one
// first, so the new bar never joins the last line. The file is written anew
// and renamed over the old one, so a failed write leaves it byte for byte and
// the same append can simply be tried again. It goes through the door
// (price_history_write.h): the file's lock is held from the read to the
// rename, so two writers at once both land or one says the file "is being
// changed by another program". A file whose last line holds part of a bar, a
// bar that would make the file larger than maxPriceFileBytes, and a bar the
// loader would refuse (a price a hundred times away from the history's) are
// FileFailed with the reason; prices of zero are Refused at the Low Price.
AppendResult appendPriceLine(const std::string& path, const AppendRequest& request);

}  // namespace varkel
