#include "data/calendar_date.h"

#include <chrono>

namespace varkel {

namespace {

std::optional<std::chrono::year_month_day> calendarOf(int yyyymmdd) {
    if (yyyymmdd < 10000000 || yyyymmdd > 99999999) return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{yyyymmdd / 10000}, month{static_cast<unsigned>(yyyymmdd / 100 % 100)},
                              day{static_cast<unsigned>(yyyymmdd % 100)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

int yyyymmddOf(const std::chrono::year_month_day& date) {
    return static_cast<int>(date.year()) * 10000 + static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(date.day()));
}

}  // namespace

std::optional<int> eightDigitDate(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isCalendarDate(int yyyymmdd) { return calendarOf(yyyymmdd).has_value(); }

std::optional<int> calendarDay(int yyyymmdd) {
    const auto date = calendarOf(yyyymmdd);
    if (!date) return std::nullopt;
    return static_cast<int>(std::chrono::sys_days{*date}.time_since_epoch().count());
}

std::optional<int> calendarDate(int year, int month, int day) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    const int yyyymmdd = year * 10000 + month * 100 + day;
    return isCalendarDate(yyyymmdd) ? std::optional(yyyymmdd) : std::nullopt;
}

std::optional<int> nextWeekday(int yyyymmdd) {
    const auto date = calendarOf(yyyymmdd);
    if (!date) return std::nullopt;
    using namespace std::chrono;
    sys_days next = sys_days{*date} + days{1};
    while (weekday{next} == Saturday || weekday{next} == Sunday) next += days{1};
    return yyyymmddOf(year_month_day{next});
}

}  // namespace varkel
