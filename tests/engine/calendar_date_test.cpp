// The one date module: eight digits, and the days the calendar has.
#include "data/calendar_date.h"

#include <gtest/gtest.h>

#include <optional>

using namespace varkel;

TEST(CalendarDate, EightDigitsAndTheCalendar) {
    struct Case {
        const char* text;
        std::optional<int> digits;  // eightDigitDate
        bool calendar;              // isCalendarDate of the digits
    };
    const Case cases[] = {
        {"20240229", 20240229, true},    // a leap day
        {"20230229", 20230229, false},   // no leap year
        {"19000229", 19000229, false},   // a century is a leap year only every 400 years
        {"20000229", 20000229, true},
        {"20240431", 20240431, false},   // April has 30 days
        {"20241301", 20241301, false},   // month 13
        {"20240100", 20240100, false},   // day 0
        {"00000001", 1, false},          // eight digits, but no four-digit year
        {"2024071", std::nullopt, false},
        {"202407155", std::nullopt, false},
        {"2024-7-1", std::nullopt, false},
        {"+2024071", std::nullopt, false},
        {" 2024071", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(eightDigitDate(c.text), c.digits);
        if (c.digits) {
            EXPECT_EQ(isCalendarDate(*c.digits), c.calendar);
            EXPECT_EQ(calendarDay(*c.digits).has_value(), c.calendar);
        }
    }
    EXPECT_EQ(calendarDay(19700101), 0);
    EXPECT_EQ(*calendarDay(20000301) - *calendarDay(20000228), 2);  // over the leap day of 2000
    EXPECT_EQ(calendarDate(2024, 2, 29), 20240229);
    EXPECT_FALSE(calendarDate(2023, 2, 29));
    EXPECT_FALSE(calendarDate(999, 1, 1));
    EXPECT_FALSE(calendarDate(2024, 0, 1));
    EXPECT_FALSE(calendarDate(2024, 1, 99));
}

TEST(CalendarDate, NextWeekdaySkipsTheWeekend) {
    EXPECT_EQ(nextWeekday(20240719), 20240722);  // Friday -> Monday
    EXPECT_EQ(nextWeekday(20240721), 20240722);  // Sunday -> Monday
    EXPECT_EQ(nextWeekday(20241231), 20250101);  // over the year's end
    EXPECT_EQ(nextWeekday(20000228), 20000229);  // a leap day
    EXPECT_FALSE(nextWeekday(20230229));
}
