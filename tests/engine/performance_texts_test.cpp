#include "report/performance_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace varkel;

TEST(PerformanceTexts, KeltnerBaseWithTwoFilters) {
    TradeModel model;
    model.layers[0].kind = StudyKind::KeltnerChannels;
    model.layers[0].p.spans[0] = 20;
    model.layers[0].p.spans[1] = 10;
    model.layers[0].p.setting = 1.5;
    model.layers[1].kind = StudyKind::RateOfChange;
    model.layers[1].p.spans[0] = 5;
    model.layers[1].p.setting = 1.25;
    model.layers[2].kind = StudyKind::NormalDistribution;
    model.layers[2].p.spans[0] = 12;
    model.layers[2].p.setting = 0.5;
    const PerformanceTexts texts = performanceTexts("USD/JPY", model);
    EXPECT_EQ(texts.text(1030), "USD/JPY");
    EXPECT_EQ(texts.text(1021), "KELTNER CHANNELS");
    EXPECT_EQ(texts.text(1038), "EMA = 20");
    EXPECT_EQ(texts.text(1039), "ATR = 10");
    EXPECT_EQ(texts.text(1040), "");
    EXPECT_EQ(texts.text(1041), "MULTIPLIER = 1.5000");
    EXPECT_EQ(texts.text(1022), "Rate Of Change");
    EXPECT_EQ(texts.text(1042), "ROC Span = 5");
    EXPECT_EQ(texts.text(1043), "");
    EXPECT_EQ(texts.text(1044), "ROC filter =   1.250000");
    EXPECT_EQ(texts.text(1023), "Normal Distribution");
    EXPECT_EQ(texts.text(1045), "Ndist Span = 12");
    EXPECT_EQ(texts.text(1047), "Ndist filter =   0.500000");
}

TEST(PerformanceTexts, BaseStudiesAndTheirLines) {
    TradeModel model;
    model.layers[0].p.spans[0] = 12;
    model.layers[0].p.spans[1] = 26;
    model.layers[0].p.spans[2] = 9;
    model.layers[0].p.setting = 0.0125;
    model.layers[0].kind = StudyKind::Macd;
    auto texts = performanceTexts("X", model);
    EXPECT_EQ(texts.text(1021), "MACD");
    EXPECT_EQ(texts.text(1038) + "|" + texts.text(1039) + "|" + texts.text(1040) + "|" + texts.text(1041),
              "MA 1 = 12|MA 2 = 26|MACD SIG = 9|");
    model.layers[0].kind = StudyKind::Stochastics;
    texts = performanceTexts("X", model);
    EXPECT_EQ(texts.text(1021), "STOCHASTICS");
    EXPECT_EQ(texts.text(1038) + "|" + texts.text(1039) + "|" + texts.text(1040), "K = 12|D = 26|SLOW D = 9");
    model.layers[0].kind = StudyKind::TimeSeriesCorrelation;
    texts = performanceTexts("X", model);
    EXPECT_EQ(texts.text(1021), "Time Series Correlation");
    EXPECT_EQ(texts.text(1038) + "|" + texts.text(1039) + "|" + texts.text(1041),
              "TSC Span = 12||TSC filter =   0.012500");
    model.layers[0].kind = StudyKind::LinearRegression;
    texts = performanceTexts("X", model);
    EXPECT_EQ(texts.text(1041), "Lreg filter =   0.012500");
}

TEST(PerformanceTexts, KindsOutsideTheirRoleReadNotAvailable) {
    TradeModel model;
    model.layers[0].kind = StudyKind::RateOfChange;  // a filter study cannot be the base
    model.layers[0].p.spans[0] = 5;
    model.layers[1].kind = StudyKind::Macd;        // and a base study cannot filter
    model.layers[1].p.spans[0] = 5;
    const PerformanceTexts texts = performanceTexts("USD/JPY", model);
    EXPECT_EQ(texts.text(1021), "N/A");
    EXPECT_EQ(texts.text(1038), "");
    EXPECT_EQ(texts.text(1022), "N/A");
    EXPECT_EQ(texts.text(1042), "");
    EXPECT_EQ(texts.text(1023), "N/A");  // -999: no third index
    EXPECT_EQ(texts.text(1045) + texts.text(1046) + texts.text(1047), "");
}

TEST(PerformanceTexts, FiguresAndTheTwentyTwoControls) {
    TradeModel model;
    model.tradeCount = 57;
    model.winCount = 31;
    model.sharpeRatio = 0.123;
    model.grossLoss = -17.75;
    const PerformanceTexts texts = performanceTexts("USD/JPY", model);
    EXPECT_EQ(texts.text(1033), "57");
    EXPECT_EQ(texts.text(1034), "31");
    EXPECT_EQ(texts.text(1029), "  0.123000");
    EXPECT_EQ(texts.text(1032), "-999.000000");  // a model never measured
    EXPECT_EQ(texts.text(1036), "-17.750000");
    EXPECT_EQ(texts.text(1031), "  0.000000");
    EXPECT_EQ(texts.text(9999), "");

    // A model that never trades says so; a figure without a value is never "nan".
    TradeModel idle;
    idle.winningRate = idle.kellyFormula = std::nan("");
    idle.sharpeRatio = 0.0;
    const PerformanceTexts idleTexts = performanceTexts("AUD/JPY", idle);
    for (const int id : {1029, 1031, 1032}) EXPECT_EQ(idleTexts.text(id), "no trades") << id;
    model.kellyFormula = -std::numeric_limits<double>::infinity();
    EXPECT_EQ(performanceTexts("USD/JPY", model).text(1032), "none");

    std::set<int> ids;
    for (const PerformanceText& entry : texts.entries) ids.insert(entry.controlId);
    EXPECT_EQ(ids, (std::set<int>{1021, 1022, 1023, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036,
                                  1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047}));
}
