#include "data/bar_edit.h"

#include "data/price_history_write.h"

#include <vector>

namespace varkel {

namespace {

BarEditResult failure(BarEditStatus status, std::string message) {
    BarEditResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

// Where a line starts, how long it is and how long its line end is.
struct LineSpan {
    std::size_t start, length, endLength;
};

std::vector<LineSpan> lineSpans(std::string_view content) {
    std::vector<LineSpan> spans;
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = content.size();
        std::size_t endLength = end < content.size() ? 1 : 0;
        if (end + 1 < content.size() && content[end] == '\r' && content[end + 1] == '\n') endLength = 2;
        spans.push_back({start, end - start, endLength});
        start = end + endLength;
    }
    return spans;
}

}  // namespace

BarEditResult editPriceBar(const std::string& path, const BarEdit& edit) {
    std::optional<PriceLineValues> values;
    if (edit.prices) {
        // The prices pass the append's checks; the date stays as the file writes it.
        AppendRequest request = *edit.prices;
        request.date = "20000103";
        const AppendCheck check = checkAppendRequest(request);
        if (!check) return failure(BarEditStatus::Refused, check.message);
        values = check.values;
    }
    // Under the file's lock from the read to the rename: an append or another
    // edit meanwhile waits instead of being written over.
    BarEditResult result;
    const OwnedWrite written = changePriceHistory(path, PriceHistoryWrite::Change, [&](const auto& current) {
        if (!current) return OwnedFileChange::refuse("Could not read the price file " + path);
        const std::string& content = *current;
        const std::vector<LineSpan> spans = lineSpans(content);
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const std::string_view line = std::string_view(content).substr(spans[i].start, spans[i].length);
            if (line.substr(0, line.find(',')) != edit.date) continue;
            if (found)
                return OwnedFileChange::refuse("The date " + edit.date + " is on more than one line (" +
                                               std::to_string(*found + 1) + " and " + std::to_string(i + 1) +
                                               ") of " + path + "; correct the file by hand.");
            found = i;
        }
        if (!found) return OwnedFileChange::refuse("No bar dated " + edit.date + " in " + path + ".");
        const LineSpan& span = spans[*found];
        result.lineNumber = static_cast<int>(*found) + 1;
        result.removedLine = content.substr(span.start, span.length);
        std::string updated = content.substr(0, span.start);
        if (values) {
            const std::string line = formatPriceLine(*values);
            result.newLine = edit.date + line.substr(line.find(','));
            updated += result.newLine + content.substr(span.start + span.length, span.endLength);
        }
        updated += content.substr(span.start + span.length + span.endLength);
        return OwnedFileChange::to(std::move(updated));
    });
    if (!written)
        return failure(written.status == OwnedWriteStatus::Refused ? BarEditStatus::Refused : BarEditStatus::FileFailed,
                       written.message);
    result.status = BarEditStatus::Edited;
    return result;
}

}  // namespace varkel
