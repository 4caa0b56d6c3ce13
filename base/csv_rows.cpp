#include "base/csv_rows.h"

namespace varkel {

namespace {

// Past a line end at `at` (CR LF counts once); `line` moves on by one.
std::size_t skipLineEnd(std::string_view text, std::size_t at, int& line) {
    ++line;
    return at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
}

}  // namespace

bool CsvRecords::next(CsvRow& row) {
    const std::string_view text = text_;
    std::size_t& at = at_;  // moves on through the text as the record is read
    if (at >= text.size()) return false;
    row.lineNumber = line_;
    row.fields.clear();
    row.unclosedQuote = false;
    std::string field;
    bool quoted = false;  // inside a quoted part
    bool quotedField = false;  // the field began with a quote
    while (true) {
        if (at == text.size()) {
            row.unclosedQuote = quoted;
            break;
        }
        const char c = text[at];
        if (quoted) {
            if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                field += '"';
                at += 2;
            } else if (c == '"') {
                quoted = false;
                ++at;
            } else if (c == '\r' || c == '\n') {
                const std::size_t next = skipLineEnd(text, at, line_);
                field.append(text.substr(at, next - at));
                at = next;
            } else {
                field += c;
                ++at;
            }
        } else if (c == '"' && field.empty() && !quotedField) {
            quoted = quotedField = true;
            ++at;
        } else if (c == separator_) {
            row.fields.push_back(std::move(field));
            field.clear();
            quotedField = false;
            ++at;
        } else if (c == '\r' || c == '\n') {
            at = skipLineEnd(text, at, line_);
            break;
        } else {
            field += c;
            ++at;
        }
    }
    row.fields.push_back(std::move(field));
    return true;
}

char csvSeparatorOf(std::string_view text) {
    long balance = 0;  // semicolons less commas
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        if (c == ';') ++balance;
        if (c == ',') --balance;
    }
    return balance > 0 ? ';' : ',';
}

}  // namespace varkel
