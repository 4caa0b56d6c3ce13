#include "model/trade_model_file.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

void writeAll(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// A new record holds the "not used" values; only the base and the measures are set.
TradeModel macdOnlyModel() {
    TradeModel model;
    model.layers[0].kind = StudyKind::Macd;
    model.layers[0].p.spans[0] = 12;
    model.layers[0].p.spans[1] = 26;
    model.layers[0].p.spans[2] = 9;
    model.sharpeRatio = 0.123;
    model.kellyFormula = 0.5;
    model.winningRate = 0.55;
    model.losingRate = 0.45;
    model.winCount = 11;
    model.lossCount = 9;
    model.tradeCount = 20;
    model.netProfit = 12.5;
    model.grossProfit = 30.25;
    model.grossLoss = -17.75;
    return model;
}

// Written by hand: unused indexes keep -999 / -1 / -999.000000, the Kelly value
// comes before the Sharpe ratio and the last line has no line end.
const char* const macdOnlyFile =
    "5\n12\n26\n9\n-999.000000\n"
    "-999\n-1\n-1\n-999.000000\n"
    "-999\n-1\n-1\n-999.000000\n"
    "  0.500000\n  0.123000\n  0.550000\n  0.450000\n"
    "11\n9\n20\n"
    " 12.500000\n 30.250000\n-17.750000";

}  // namespace

TEST(TradeModelFile, MacdOnlyModelByteForByteAndBack) {
    const fs::path dir = test::freshDirectory("model_file_macd");
    const fs::path path = performanceFilePath(dir, "GBP/JPY");
    EXPECT_EQ(path, dir / "GBP_JPY.pfm");
    ASSERT_TRUE(saveTradeModel(macdOnlyModel(), path));
    EXPECT_EQ(test::readFile(path), macdOnlyFile);

    TradeModel read;
    ASSERT_TRUE(loadTradeModel(read, path));
    EXPECT_EQ(read, macdOnlyModel());

    // Saving again replaces the file.
    TradeModel other = macdOnlyModel();
    other.winCount = 3;
    ASSERT_TRUE(saveTradeModel(other, path));
    EXPECT_NE(test::readFile(path).find("\n3\n9\n20\n"), std::string::npos);
}

TEST(TradeModelFile, ReadsCrLfLineEnds) {
    const fs::path path = test::freshDirectory("model_file_crlf") / "USD_JPY.pfm";
    std::string crlf;
    for (const char* c = macdOnlyFile; *c != '\0'; ++c) crlf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    writeAll(path, crlf + "\r\n");
    TradeModel read;
    ASSERT_TRUE(loadTradeModel(read, path));
    EXPECT_EQ(read, macdOnlyModel());
}

TEST(TradeModelFile, ShortOrMalformedLinesReadAsZero) {
    const fs::path path = test::freshDirectory("model_file_short") / "USD_JPY.pfm";
    writeAll(path, "13\n  20\nabc\n7.9\n 1.5xyz\n");
    TradeModel read;
    ASSERT_TRUE(loadTradeModel(read, path));
    EXPECT_EQ(read.layers[0].kind, StudyKind::KeltnerChannels);
    EXPECT_EQ(read.layers[0].p.spans[0], 20);
    EXPECT_EQ(read.layers[0].p.spans[1], 0);
    EXPECT_EQ(read.layers[0].p.spans[2], 7);
    EXPECT_EQ(read.layers[0].p.setting, 1.5);
    EXPECT_EQ(static_cast<int>(read.layers[1].kind), 0);
    EXPECT_EQ(read.layers[2].p.setting, 0.0);
    EXPECT_EQ(read.kellyFormula, 0.0);
    EXPECT_EQ(read.sharpeRatio, 0.0);
    EXPECT_EQ(read.grossLoss, 0.0);
}

TEST(TradeModelFile, InfinitiesSurviveTheRoundTripAndNotANumberIsNeverWritten) {
    const fs::path path = test::freshDirectory("model_file_nan") / "USD_JPY.pfm";
    TradeModel model = macdOnlyModel();
    model.losingRate = std::numeric_limits<double>::infinity();
    model.sharpeRatio = -std::numeric_limits<double>::infinity();
    ASSERT_TRUE(saveTradeModel(model, path));
    std::istringstream lines(test::readFile(path));
    std::string line;
    for (int i = 0; i < 15; ++i) std::getline(lines, line);
    EXPECT_EQ(line, "      -inf");
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line, "       inf");
    TradeModel read;
    ASSERT_TRUE(loadTradeModel(read, path));
    EXPECT_EQ(read.losingRate, std::numeric_limits<double>::infinity());
    EXPECT_EQ(read.sharpeRatio, -std::numeric_limits<double>::infinity());

    const std::string saved = test::readFile(path);
    volatile double zero = 0.0;
    ASSERT_GT(model.tradeCount, 0);
    for (double* (*field)(TradeModel&) : {+[](TradeModel& m) { return &m.kellyFormula; },
                                          +[](TradeModel& m) { return &m.netProfit; },
                                          +[](TradeModel& m) { return &m.layers[0].p.setting; }}) {
        TradeModel broken = model;
        *field(broken) = zero / zero;
        std::string error;
        EXPECT_FALSE(saveTradeModel(broken, path, &error));
        EXPECT_NE(error.find("nan, not a number"), std::string::npos) << error;
        EXPECT_EQ(test::readFile(path), saved);
    }
    // A model that never traded has no rates: 0 of 0 trades stays "nan".
    TradeModel idle = model;
    idle.tradeCount = idle.winCount = idle.lossCount = 0;
    idle.winningRate = idle.losingRate = idle.kellyFormula = zero / zero;
    EXPECT_TRUE(saveTradeModel(idle, path));
}

TEST(TradeModelFile, MissingUnreadableOrUnwritableFiles) {
    const fs::path dir = test::freshDirectory("model_file_missing");
    TradeModel model = macdOnlyModel();
    EXPECT_FALSE(loadTradeModel(model, dir / "USD_JPY.pfm"));
    EXPECT_FALSE(loadTradeModel(model, dir));  // a directory opens but cannot be read
    EXPECT_EQ(model, macdOnlyModel());
    EXPECT_FALSE(saveTradeModel(model, dir / "no" / "such" / "USD_JPY.pfm"));
    EXPECT_FALSE(saveTradeModel(model, dir));
}

// "%10.6f" of a large value is long (1e100 takes 108 characters); a fixed
// buffer cut it and the model came back with another threshold.
TEST(TradeModelFile, LargeValuesComeBackExactly) {
    const fs::path path = test::freshDirectory("model_file_large") / "USD_JPY.pfm";
    TradeModel model = macdOnlyModel();
    model.layers[0].p.setting = 1e100;
    model.layers[1].p.setting = -1e300;
    model.layers[2].p.setting = std::numeric_limits<double>::max();
    model.netProfit = 123456789012345678.0;
    ASSERT_TRUE(saveTradeModel(model, path));
    TradeModel read;
    int lines = 0;
    ASSERT_TRUE(loadTradeModel(read, path, &lines));
    EXPECT_EQ(read, model);
    EXPECT_EQ(lines, tradeModelFileLines);
}

TEST(TradeModelFile, ReadsLoneCrLineEndsAndCountsTheLines) {
    const fs::path path = test::freshDirectory("model_file_cr") / "USD_JPY.pfm";
    std::string cr(macdOnlyFile);
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    writeAll(path, cr);
    TradeModel read;
    int lines = 0;
    ASSERT_TRUE(loadTradeModel(read, path, &lines));
    EXPECT_EQ(read, macdOnlyModel());
    EXPECT_EQ(lines, 23);

    writeAll(path, "5\n12\n26\n");
    ASSERT_TRUE(loadTradeModel(read, path, &lines));
    EXPECT_EQ(lines, 3);
}
