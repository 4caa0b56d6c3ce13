#include "../support/files.h"
#include "data/price_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace varkel;

namespace {

// Weekdays from Monday 2024-01-01 on, as eight-digit dates; `extraDays` moves
// every date from bar `from` on later by that many calendar days.
std::vector<std::string> weekdays(int count, int from, int extraDays) {
    using namespace std::chrono;
    std::vector<std::string> dates;
    sys_days day = sys_days{2024y / January / 1};
    while (static_cast<int>(dates.size()) < count) {
        if (static_cast<int>(dates.size()) == from) day += days{extraDays};
        const weekday wd{day};
        if (wd != Saturday && wd != Sunday) {
            const year_month_day ymd{day};
            char text[16];
            std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(ymd.year()),
                          static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
            dates.push_back(text);
        }
        day += days{1};
    }
    return dates;
}

// Closes step 100.00, 100.10, 100.30, 100.20, ...: daily changes of 0.10 and
// 0.20 whose small reversals are ordinary, not spikes.
std::string barLine(const std::string& date, int close, int high = 0, int low = 0) {
    if (high == 0) high = close + 10;
    if (low == 0) low = close - 10;
    return date + "," + std::to_string(close) + "," + std::to_string(high) + "," + std::to_string(low) + "," +
           std::to_string(close) + "\n";
}

int ordinaryClose(int bar) {
    const int pattern[] = {0, 10, 30, 20};
    return 10000 + pattern[bar % 4];
}

using Expected = std::vector<std::pair<FindingKind, int>>;  // kind and line

Expected kindsAndLines(const PriceCheck& check) {
    Expected found;
    for (const DataFinding& finding : check.findings) found.emplace_back(finding.kind, finding.lineNumber);
    return found;
}

}  // namespace

TEST(PriceCheck, FindsNothingInACleanFile) {
    const test::TempDirectory dir;
    const auto dates = weekdays(80, 0, 0);
    std::string content;
    for (int i = 0; i < 80; ++i) content += barLine(dates[i], ordinaryClose(i));
    test::writeFile(dir / "clean.txt", content);
    const PriceCheck check = checkPriceFile((dir / "clean.txt").string(), "USD/JPY");
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(check.barsLoaded, 80);
    EXPECT_EQ(kindsAndLines(check), Expected{});
}

TEST(PriceCheck, FindsEachKindOfFaultAtItsLine) {
    const test::TempDirectory dir;
    const auto dates = weekdays(80, 31, 7);  // a week more between bars 30 and 31
    std::string content = "Date,Open,High,Low,Close\n";
    int line = 1;
    Expected expected{{FindingKind::RefusedLine, 1}};
    for (int i = 0; i < 79; ++i) {
        int close = ordinaryClose(i);
        int high = 0;
        int low = 0;
        if (i == 40) {  // high below low
            high = close - 10;
            low = close + 10;
        }
        if (i == 50) close += 500;                                   // one day 5.00 up, back the next
        if (i >= 60 && i < 65) close = ordinaryClose(60);             // five identical bars
        content += barLine(dates[i], close, high, low);
        ++line;
        if (i == 31) expected.emplace_back(FindingKind::Gap, line);
        if (i == 40) expected.emplace_back(FindingKind::PriceOutOfRange, line);
        if (i == 50) expected.emplace_back(FindingKind::Spike, line);
        if (i == 60) expected.emplace_back(FindingKind::FlatRun, line);
        if (i == 10) {
            content += barLine(dates[i], ordinaryClose(i));
            expected.emplace_back(FindingKind::DateRepeated, ++line);
        }
        if (i == 20) {
            content += barLine(dates[15], ordinaryClose(15));
            expected.emplace_back(FindingKind::DateOutOfOrder, ++line);
        }
    }
    content += barLine(dates[78].substr(0, 6) + "99", ordinaryClose(79));  // no 99th day of any month
    expected.emplace_back(FindingKind::NotACalendarDate, ++line);
    test::writeFile(dir / "faults.txt", content);

    const PriceCheck check = checkPriceFile((dir / "faults.txt").string(), "USD/JPY");
    EXPECT_EQ(check.barsLoaded, 80);
    EXPECT_EQ(kindsAndLines(check), expected);
    for (const DataFinding& finding : check.findings) {
        if (finding.kind == FindingKind::DateOutOfOrder) {
            EXPECT_EQ(finding.dateText, dates[15]);
            EXPECT_EQ(finding.previousDate, dates[20]);
        }
        if (finding.kind == FindingKind::Gap) {
            EXPECT_EQ(finding.previousDate, dates[30]);
            EXPECT_GT(finding.days, 5);
        }
        if (finding.kind == FindingKind::FlatRun) {
            EXPECT_EQ(finding.runLength, 5);
        }
        if (finding.kind == FindingKind::Spike) {  // the ordinary moves are 0.10 and 0.20
            EXPECT_GE(finding.typicalChange, 0.0999);
            EXPECT_LE(finding.typicalChange, 0.2001);
        }
    }
}

TEST(PriceCheck, FlatRunsAndGapsNeedMoreThanTheirLimits) {
    const test::TempDirectory dir;
    const auto dates = weekdays(20, 0, 0);
    std::string content;
    // Four identical bars, then a Friday-to-Tuesday holiday gap of 4 days: ordinary.
    // The small step back after the flat days is no spike either.
    for (int i = 0; i < 4; ++i) content += barLine(dates[i], 10000);
    content += barLine("20240109", 10010) + barLine("20240110", 10020) + barLine("20240115", 10000);
    test::writeFile(dir / "limits.txt", content);
    EXPECT_EQ(kindsAndLines(checkPriceFile((dir / "limits.txt").string(), "USD/JPY")), Expected{});
}

// A gap is more than five calendar days since the bar before: from a Friday,
// Wednesday is ordinary and Thursday is reported with its six days.
TEST(PriceCheck, AGapStartsAtSixCalendarDays) {
    const struct {
        const char* date;
        int days;
        bool reported;
    } cases[] = {{"20240109", 4, false}, {"20240110", 5, false}, {"20240111", 6, true}, {"20240112", 7, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const test::TempDirectory dir;
        test::writeFile(dir / "gap.txt", barLine("20240104", 10000) + barLine("20240105", 10010) + barLine(c.date, 10030));
        const PriceCheck check = checkPriceFile((dir / "gap.txt").string(), "USD/JPY");
        const Expected expected = c.reported ? Expected{{FindingKind::Gap, 3}} : Expected{};
        EXPECT_EQ(kindsAndLines(check), expected);
        if (c.reported && !check.findings.empty()) {
            EXPECT_EQ(check.findings[0].days, c.days);
        }
    }
}

TEST(PriceCheck, FindsTheKnownSpikeOfTheUsdJpySample) {
    const PriceCheck check = checkPriceFile(std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt", "USD/JPY");
    ASSERT_TRUE(check.readable);
    bool found = false;
    for (const DataFinding& finding : check.findings) {
        if (finding.kind != FindingKind::Spike || finding.dateText != "20080408") continue;
        found = true;
        EXPECT_DOUBLE_EQ(finding.close, 108.18);
        EXPECT_DOUBLE_EQ(finding.previousClose, 102.44);
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(checkPriceFile("/nonexistent/prices.txt", "USD/JPY").readable);
}

// Highs and lows that leave the neighbours' range by the spike rule (unusual
// moves), and highs or lows no day reaches from its own open and close; an
// ordinary wide bar and a close spike (already its own finding) are not
// flagged again.
TEST(PriceCheck, FlagsHighsAndLowsNoMarketMade) {
    const test::TempDirectory dir;
    const auto dates = weekdays(60, 0, 0);
    struct Odd {
        int bar;
        int high, low;  // 0: ordinary
        int close;      // 0: ordinary
    };
    const Odd odd[] = {
        {10, 10500, 0, 0},       // high 5.00 above neighbours, close inside: high spike
        {20, 0, 9000, 0},        // low 10.00 below neighbours: low spike
        {30, 0, 716, 0},         // low 7.16 under a close of 100: absurd
        {40, 10060, 9960, 0},    // a wide day, within five usual changes: nothing
        {50, 10900, 0, 10900},   // the close leaves the range too: the close spike only
    };
    std::string content;
    for (int i = 0; i < 60; ++i) {
        int close = ordinaryClose(i), high = 0, low = 0;
        for (const Odd& o : odd)
            if (o.bar == i) high = o.high, low = o.low, close = o.close != 0 ? o.close : close;
        content += barLine(dates[i], close, high, low);
    }
    test::writeFile(dir / "ranges.txt", content);
    const PriceCheck check = checkPriceFile((dir / "ranges.txt").string(), "USD/JPY");
    EXPECT_EQ(kindsAndLines(check), (Expected{{FindingKind::HighSpike, 11},
                                              {FindingKind::LowSpike, 21},
                                              {FindingKind::AbsurdHighLow, 31},
                                              {FindingKind::Spike, 51}}));
    EXPECT_DOUBLE_EQ(check.findings[0].neighbourBound, 100.30);
    // A long wick with the close inside is a move a real market makes; the
    // absurd low and the close that leaves and comes back are likely wrong.
    const bool flagged[] = {false, false, true, true};
    for (std::size_t i = 0; i < check.findings.size() && i < std::size(flagged); ++i)
        EXPECT_EQ(flagsBarPrices(check.findings[i].kind), flagged[i]) << i;
}
