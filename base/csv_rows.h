#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// One record of a CSV text.
struct CsvRow {
    int lineNumber = 0;  // 1-based line the record begins on
    std::vector<std::string> fields;
    bool unclosedQuote = false;  // the text ended inside a quoted field
};

// The records of `text` one at a time, as RFC 4180 reads them, so that
// memory follows the record at hand rather than the text: `separator` between
// fields, a field in double quotes may hold the separator, line ends and
// doubled quotes (""), which stand for one quote; outside quotes LF, CR LF and
// a lone CR end a record. Lenient where spreadsheets are: a quote inside an
// unquoted field is kept as it is, and text after a closing quote joins the
// field. Fields are not trimmed. A blank line gives a record of one empty
// field; a last line end gives no record.
class CsvRecords {
public:
    CsvRecords(std::string_view text, char separator) : text_(text), separator_(separator) {}
    // The next record into `row`; false once the text is used up.
    bool next(CsvRow& row);

private:
    std::string_view text_;
    char separator_;
    std::size_t at_ = 0;
    int line_ = 1;
};

// ';' when the first record of `text` holds more semicolons than commas
// outside quotes, else ','.
char csvSeparatorOf(std::string_view text);

}  // namespace varkel
