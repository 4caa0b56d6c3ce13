#pragma once

#include "data/append_bar.h"

#include <optional>
#include <string>

namespace varkel {

// A correction of one bar of a price file: the bar's date as the file writes
// it, and either no prices (the bar is deleted) or the four prices typed as
// the append takes them (all in hundredths or all with a decimal point).
struct BarEdit {
    std::string date;
    std::optional<AppendRequest> prices;  // date field unused; nullopt: delete
};

enum class BarEditStatus { Edited, Refused, FileFailed };

struct BarEditResult {
    BarEditStatus status = BarEditStatus::Refused;
    std::string message;      // why it was refused or failed; empty when edited
    int lineNumber = 0;       // 1-based line of the bar edited
    std::string removedLine;  // the line as it was, without its line end
    std::string newLine;      // the line written in its place; empty for a delete
};

// Replaces or deletes the one line of the price file at `path` whose date
// field is exactly `edit.date`. The new prices pass the append's checks; a
// date on no line, or on more than one, is refused. The rest of the file
// stays byte for byte, line ends included. The edit goes through the door
// (price_history_write.h): under the file's lock from the read to the rename,
// so an append or another edit meanwhile is never written over, and refused
// when the loader would refuse the new line; a failed write leaves the file
// as it was.
BarEditResult editPriceBar(const std::string& path, const BarEdit& edit);

}  // namespace varkel
