#include "report/flagged_return.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varkel;

namespace {

std::vector<Bar> datedBars(int count) {
    std::vector<Bar> bars(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) bars[std::size_t(i)].dateText = std::to_string(20061220 + i);
    return bars;
}

}  // namespace

// A wrong close earns on its own bar and back on the next one: both count,
// each day once, and a flagged date outside the bars is left out.
TEST(FlaggedReturn, SharesOfTheReturnOnFlaggedBarsAndTheDayAfter) {
    const std::vector<Bar> bars = datedBars(8);
    const std::vector<double> pnl = {1.0, 2.0, 0.0, 90.0, 4.0, -1.0, 3.0, 1.0};  // total 100
    struct Case {
        std::vector<FlaggedBar> flagged;
        double flaggedReturn;
        int count;
        std::string text;
    };
    const Case cases[] = {
        {{}, 0.0, 0, ""},
        {{{"20061223", FindingKind::Spike}}, 94.0, 1, "Of this return, 20061223 (flagged as a spike) adds 94 %"},
        // 20061223 earns 90 + 4, 20061224 adds only its own next day (-1): 94 - 1 = 93.
        {{{"20061223", FindingKind::Spike}, {"20061224", FindingKind::LowSpike}, {"19990101", FindingKind::Spike}},
         93.0, 2, "Of this return, 20061223 (flagged as a spike) adds 94 %, the other flagged bar takes away 1 %"},
        {{{"20061227", FindingKind::AbsurdHighLow}}, 1.0, 1,
         "Of this return, 20061227 (flagged as an absurd high or low) adds 1 %"},
        // 20061222 earns 0 + 90; the others 1 + 2 (20061220, 20061221 overlap on one day) and 3 + 1.
        {{{"20061220", FindingKind::Spike}, {"20061221", FindingKind::Spike}, {"20061222", FindingKind::HighSpike},
          {"20061226", FindingKind::Spike}},
         97.0, 4, "Of this return, 20061222 (flagged as a high spike) adds 90 %, the other 3 flagged bars add 7 %"},
        // 20061225 and 20061226 earn -1 + 3 and 3 + 1: the largest adds 4 %, the other takes away 1 %.
        {{{"20061225", FindingKind::Spike}, {"20061226", FindingKind::Spike}}, 3.0, 2,
         "Of this return, 20061226 (flagged as a spike) adds 4 %, the other flagged bar takes away 1 %"},
    };
    for (const Case& c : cases) {
        const FlaggedReturn share = flaggedReturnShare(bars, c.flagged, pnl);
        EXPECT_EQ(share.totalReturn, 100.0);
        EXPECT_EQ(share.flaggedReturn, c.flaggedReturn) << c.text;
        EXPECT_EQ(share.flaggedBars, c.count) << c.text;
        EXPECT_EQ(flaggedReturnText(share), c.text);
    }
    // A return that is no gain is told in amounts, not shares; a part under
    // half a percent is not rounded to nothing.
    const std::vector<double> losing = {0.0, 0.0, 0.0, 50.0, -60.0, -5.0, 0.0, 0.0};
    EXPECT_EQ(flaggedReturnText(flaggedReturnShare(bars, {{"20061223", FindingKind::Spike}, {"20061225", FindingKind::Spike}},
                                                   losing)),
              "Of this return of -15.00, 20061225 (flagged as a spike) takes away 5.00, the other flagged bar takes "
              "away 10.00");
    // A model that never traded earned nothing anywhere: nothing to tell.
    EXPECT_EQ(flaggedReturnText(flaggedReturnShare(bars, {{"20061223", FindingKind::Spike}}, std::vector<double>(8, 0.0))),
              "");
    const std::vector<double> small = {0.0, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 99.6};
    EXPECT_EQ(flaggedReturnText(flaggedReturnShare(bars, {{"20061223", FindingKind::Spike}}, small)),
              "Of this return, 20061223 (flagged as a spike) adds less than 1 %");
}

PriceCheck checkWith(std::vector<DataFinding> findings) {
    PriceCheck check;
    check.readable = true;
    check.findings = std::move(findings);
    return check;
}

TEST(FlaggedReturn, DataQualityNoteNamesTheFindings) {
    const std::vector<Bar> bars = datedBars(4);
    const std::vector<double> pnl = {0.0, 48.0, 48.0, 4.0};
    DataFinding gap;
    gap.kind = FindingKind::Gap;
    gap.dateText = "20061220";
    DataFinding spike;
    spike.kind = FindingKind::Spike;
    spike.dateText = "20061221";
    // A real market's wick on the same bar that earns the return: listed, never counted as flagged.
    DataFinding wick;
    wick.kind = FindingKind::LowSpike;
    wick.dateText = "20061222";
    EXPECT_EQ(dataQualityNote(checkWith({}), bars, pnl), "");
    EXPECT_EQ(dataQualityNote(checkWith({gap}), bars, pnl),
              "The history has 1 data-quality finding, no bar flagged as wrong prices");
    EXPECT_EQ(dataQualityNote(checkWith({gap, spike}), bars, pnl),
              "The history has 2 data-quality findings, 1 bar flagged as wrong prices. Of this return, 20061221 "
              "(flagged as a spike) adds 96 %");
    DataFinding largeMove = wick;  // the same day also moved far: still one unusual move
    largeMove.kind = FindingKind::LargeMove;
    EXPECT_EQ(dataQualityNote(checkWith({wick, largeMove}), bars, pnl),
              "The history has 2 data-quality findings, no bar flagged as wrong prices (1 unusual move not counted "
              "among them)");
    EXPECT_EQ(dataQualityNote(checkWith({wick}), bars, pnl),
              "The history has 1 data-quality finding, no bar flagged as wrong prices (1 unusual move not counted "
              "among them)");

    // A finding about the whole history is named on its own line, even with no bar found.
    PriceCheck misaligned = checkWith({});
    misaligned.history = HistoryFigures{.moves = 4000, .openAtCloseShare = 0.29};
    misaligned.historyFindings = {HistoryFindingKind::OpensAtClose};
    EXPECT_EQ(dataQualityNote(misaligned, bars, pnl),
              "history: 29 % of the bars open at their own close (clean daily FX: about 1 %); the opens look copied "
              "from the closes");
}
