#pragma once

#include <string_view>

namespace varkel {

// The data-quality rules in one place: every threshold the check uses with the
// reason it has that value, and for each kind of finding what it says about
// the bar. The figures of clean daily FX quoted below are those of the bundled
// 2000-2024 USD/JPY, EUR/JPY, GBP/JPY and AUD/JPY histories (samples/README.md).

// What the data-quality check can find in a price file.
enum class FindingKind {
    RefusedLine,         // price fields missing or not numbers: not loaded
    DateRepeated,        // the date of the bar before again: not loaded
    DateOutOfOrder,      // a date before the bar before: not loaded
    NotACalendarDate,    // eight digits that name no day (20240230)
    Gap,                 // more than maxGapDays calendar days since the bar before
    PriceOutOfRange,     // high below low, or open or close outside low..high
    Spike,               // a close that leaves both neighbours and comes back the next day
    FlatRun,             // flatRunLength or more identical bars in a row
    NotPositivePrice,    // a price of zero or below: not loaded
    AbsurdPrice,         // a price far from the file's median close (absurdPriceFactor): not loaded
    CutShort,            // the last line holds part of a bar only: not loaded
    NotEightDigits,      // a date that is not eight digits: loaded, but kept in no order
    HighSpike,           // a high far above both neighbours' highs, the close within them
    LowSpike,            // a low far below both neighbours' lows, the close within them
    AbsurdHighLow,       // a high or low no day's trading reaches from its own open and close
    RepeatedWrongPrice,  // an open, high or low that repeats a flagged neighbour's wrong price
    LargeMove,           // a close far from the close before that does not come back
    AbsurdOpen,          // an open no night's trading reaches from the close before and the bar's own close
};

// What a finding says about the history.
enum class FindingVerdict {
    NotLoaded,         // the line was not loaded: no bar to judge
    DateOrGap,         // the calendar: the prices themselves are not judged
    QuietMarket,       // nothing traded, or the feed stood still
    LikelyWrongPrice,  // a price no market made: offered for correction, counted as flagged
    UnusualMove,       // a real market can make it: listed, never offered for correction
};

struct FindingRule {
    FindingKind kind;
    FindingVerdict verdict;
    std::string_view singular;
    std::string_view plural;
    std::string_view reason;  // why this pattern earns its verdict
};

// One rule per FindingKind, in the order of the enum.
inline constexpr FindingRule findingRules[] = {
    {FindingKind::RefusedLine, FindingVerdict::NotLoaded, "unreadable line", "unreadable lines",
     "a line without four numbers after its date holds no bar"},
    {FindingKind::DateRepeated, FindingVerdict::NotLoaded, "repeated date", "repeated dates",
     "a day has one bar; the first one stays"},
    {FindingKind::DateOutOfOrder, FindingVerdict::NotLoaded, "date out of order", "dates out of order",
     "bars are kept oldest first and only appended"},
    {FindingKind::NotACalendarDate, FindingVerdict::DateOrGap, "impossible date", "impossible dates",
     "eight digits that name no day come from a broken export"},
    {FindingKind::Gap, FindingVerdict::DateOrGap, "gap", "gaps", "a weekend and a holiday make at most 4 days"},
    {FindingKind::PriceOutOfRange, FindingVerdict::LikelyWrongPrice, "price outside high..low",
     "prices outside high..low", "no trade happens outside the day's own high and low"},
    {FindingKind::Spike, FindingVerdict::LikelyWrongPrice, "spike", "spikes",
     "a close that leaves both neighbours and returns to where it left is a typing or feed error far more "
     "often than a market that moved out and back within two days"},
    {FindingKind::FlatRun, FindingVerdict::QuietMarket, "flat run", "flat runs",
     "a currency pair never trades at one price for a week: the feed stood still"},
    {FindingKind::NotPositivePrice, FindingVerdict::NotLoaded, "price of zero or below", "prices of zero or below",
     "an exchange rate is positive"},
    {FindingKind::AbsurdPrice, FindingVerdict::NotLoaded, "absurd price", "absurd prices",
     "a price far from the median close is a wrong price, and one such bar would drive every figure"},
    {FindingKind::CutShort, FindingVerdict::NotLoaded, "cut-short last line", "cut-short last lines",
     "a write or download that broke off leaves part of a bar"},
    {FindingKind::NotEightDigits, FindingVerdict::DateOrGap, "date not of eight digits", "dates not of eight digits",
     "only YYYYMMDD dates can be put in order"},
    {FindingKind::HighSpike, FindingVerdict::UnusualMove, "unusual move (long high wick)",
     "unusual moves (long high wicks)",
     "a day can trade far beyond its neighbours and settle back (flash crashes, interventions); with the close "
     "within the neighbours' range the bar is plausible"},
    {FindingKind::LowSpike, FindingVerdict::UnusualMove, "unusual move (long low wick)", "unusual moves (long low wicks)",
     "a day can trade far beyond its neighbours and settle back (flash crashes, interventions); with the close "
     "within the neighbours' range the bar is plausible"},
    {FindingKind::AbsurdHighLow, FindingVerdict::LikelyWrongPrice, "absurd high or low", "absurd highs or lows",
     "no day of a currency pair trades half as far again as its own open and close"},
    {FindingKind::RepeatedWrongPrice, FindingVerdict::LikelyWrongPrice, "price repeated from a flagged bar",
     "prices repeated from a flagged bar",
     "a wrong close copied into the next bar's open (or high or low) is the same error and needs the same fix"},
    {FindingKind::LargeMove, FindingVerdict::UnusualMove, "unusual move (large move)", "unusual moves (large moves)",
     "a move that stays where it went is how markets take news (referendums, interventions): real history"},
    {FindingKind::AbsurdOpen, FindingVerdict::LikelyWrongPrice, "absurd open", "absurd opens",
     "a currency pair trades through the night, so a bar opens near the close before it; an open half as far "
     "again from that close and from its own close is a price copied from elsewhere (a wrong close repeated "
     "into the next open stays wrong there once that close is fixed)"},
};

const FindingRule& findingRule(FindingKind kind);

// A threshold of the check and the reason for its value.
struct QualityThreshold {
    double value;
    std::string_view reason;
};

// Bar level.
inline constexpr QualityThreshold maxGapDays{
    5, "a weekend and a holiday make 4 calendar days without a bar; more is missing data"};
inline constexpr QualityThreshold spikeFactor{
    5, "five usual daily changes is about three standard deviations of a daily move: rare enough that a close "
       "or wick beyond it is worth a look, common enough in real markets that it alone proves no error"};
inline constexpr QualityThreshold spikeNeighbourhood{
    20, "about a month of bars sets the usual daily change: short enough to follow calm and busy years"};
inline constexpr QualityThreshold spikeReturnShare{
    0.5, "a wrong close is followed by the true price again, so the next close lands within half the jump of "
         "the close before it; a real move that goes on the next day (USD/JPY 20160623-24) lands further away"};
inline constexpr QualityThreshold largeMoveFactor{
    10, "ten usual daily changes lists the two to seven largest moves of 25 years of a daily FX history "
        "(2008, 2011, 2016, interventions) and no ordinary busy day"};
inline constexpr QualityThreshold flatRunLength{
    5, "a week of identical bars: a currency pair moves every day it trades"};
inline constexpr QualityThreshold absurdRangeFactor{
    1.5, "the wildest day of a major currency pair in decades (the Swiss franc in January 2015, about 30 %) "
         "stays within it; a high above 1.5 times the open and close (a low below two thirds of them) is no "
         "trading day"};
inline constexpr QualityThreshold absurdPriceFactor{
    100, "a price a hundred times the median close (or a hundredth of it) is a misplaced decimal point or a "
         "wrong field, never a move"};

// History level: patterns that run through a whole history.
inline constexpr QualityThreshold minBarsForHistoryFigures{
    250, "about a year of bars: fewer make the shares and the autocorrelation too noisy to judge"};
inline constexpr QualityThreshold maxVarianceBetweenBars{
    0.10, "clean daily FX puts 2-3 % of the close-to-close variance between one close and the next open, since "
          "the market trades through the night; a tenth or more means the opens do not follow the closes, and a "
          "back-test that fills at the open trades at a price that already holds the day's move"};
inline constexpr QualityThreshold maxOpenAtCloseShare{
    0.05, "on clean daily FX 0.5-1 % of bars open at their own close (the hundredths happen to meet); a twentieth "
          "or more means the opens were copied from the closes"};
inline constexpr QualityThreshold maxLag1Autocorrelation{
    0.10, "clean daily FX moves show a lag-1 autocorrelation of -0.06 to +0.01; one-day spikes that reverse push "
          "it to -0.1 and below, a pattern a model can learn that no market offers"};
inline constexpr QualityThreshold autocorrelationStandardErrors{
    3, "a short history's autocorrelation is noisy (standard error 1/sqrt(n)): only beyond three standard "
       "errors does it say something about the data"};

}  // namespace varkel
