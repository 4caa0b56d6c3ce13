#pragma once

#include <optional>
#include <string_view>

namespace varkel {

// Dates as price files keep them: eight digits, year, month and day
// (YYYYMMDD). Every reader and writer of dates goes through here, so that
// "eight digits" and "a day the calendar has" mean one thing everywhere; the
// calendar is std::chrono's (leap years included).

// The text as a number when it is exactly eight digits, the dates the loader
// and the append keep in order; nothing for any other text ("00000001" is 1).
std::optional<int> eightDigitDate(std::string_view text);

// Whether YYYYMMDD, with a year of four digits, names a day the calendar has.
bool isCalendarDate(int yyyymmdd);

// Days since 1970-01-01 of a calendar date; nothing for a number the calendar lacks.
std::optional<int> calendarDay(int yyyymmdd);

// YYYYMMDD of a year of four digits, a month and a day, when the calendar has it.
std::optional<int> calendarDate(int year, int month, int day);

// The first Monday to Friday after a calendar date; nothing for a number the calendar lacks.
std::optional<int> nextWeekday(int yyyymmdd);

}  // namespace varkel
