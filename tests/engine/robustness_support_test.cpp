// P&L blocks, the parameter surface file and the plain verdict.
#include "search/parameter_surface.h"
#include "robustness/pnl_blocks.h"
#include "robustness/robustness_verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

using namespace varkel;

TEST(PnlBlocks, CutTheProfitBarsIntoNearlyEqualRuns) {
    // Eleven bars, ten P&L bars 1 .. 10, four blocks: floor(10 j / 4) = 0, 2, 5, 7, 10.
    const auto blocks = pnlBlocks(11, 4);
    ASSERT_EQ(blocks.size(), 4u);
    const int expected[4][2] = {{1, 3}, {3, 6}, {6, 8}, {8, 11}};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(blocks[static_cast<std::size_t>(j)].from, expected[j][0]);
        EXPECT_EQ(blocks[static_cast<std::size_t>(j)].to, expected[j][1]);
    }
    for (int bars : {17, 100, 2501, 7000}) {
        for (int count : {4, 6, 10, 16}) {
            const auto cut = pnlBlocks(bars, count);
            ASSERT_EQ(static_cast<int>(cut.size()), count) << bars << " " << count;
            EXPECT_EQ(cut.front().from, 1);
            EXPECT_EQ(cut.back().to, bars);
            const int shortest = (bars - 1) / count;
            for (std::size_t j = 0; j < cut.size(); ++j) {
                if (j > 0) {
                    EXPECT_EQ(cut[j].from, cut[j - 1].to);
                }
                EXPECT_GE(cut[j].to - cut[j].from, shortest);
                EXPECT_LE(cut[j].to - cut[j].from, shortest + 1);
            }
        }
    }
}

TEST(PnlBlocks, RefuseOddOrOutOfRangeCountsAndTooShortHistories) {
    for (int count : {0, 2, 3, 5, 15, 17, 18}) {
        EXPECT_FALSE(isValidPnlBlockCount(count)) << count;
        EXPECT_TRUE(pnlBlocks(1000, count).empty()) << count;
    }
    EXPECT_TRUE(isValidPnlBlockCount(defaultPnlBlocks));
    EXPECT_TRUE(pnlBlocks(10, 10).empty());  // nine P&L bars cannot fill ten blocks
    EXPECT_EQ(pnlBlocks(11, 10).size(), 10u);
}

// Spans and returns exact and short; a setting column as the model file
// holds it, whatever float noise the grid's steps left (0.009000000000000001).
TEST(ParameterSurface, CsvNamesTheParametersInTheShortestExactNumbers) {
    ParameterSurface surface;
    surface.parameterNames = {"fast span", "slow span", "odd, name"};
    surface.parameters = {4, 5, 0.009000000000000001, 4, 6, 2.0};
    surface.returns = {-0.25, 1.0 / 3.0};
    EXPECT_EQ(surfaceCsv(surface),
              "fast span,slow span,\"odd, name\",return\n"
              "4,5,0.009000,-0.25\n"
              "4,6,2.000000,0.3333333333333333\n");

    const auto folder = std::filesystem::temp_directory_path() / "varkel_surface_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(writeSurfaceCsv(surface, folder / "surface.csv"));
    std::ifstream file(folder / "surface.csv");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), surfaceCsv(surface));
    std::string error;
    EXPECT_FALSE(writeSurfaceCsv(surface, folder / "missing" / "surface.csv", &error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(folder);
}

TEST(RobustnessVerdict, PlainSentenceAndThresholds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::int64_t trials;
        std::vector<double> pbos;
        double dsr;
        const char* sentence;
    };
    for (const Case& c : {
             Case{486910, {0.71}, 0.12, "The best of 486,910 trials is likely a fluke: PBO 0.71, DSR 0.12"},
             Case{495479, {0.31, 0.2}, 0.97, "The best of 495,479 trials holds up: PBO 0.31, DSR 0.97"},
             Case{1000, {0.2, 0.5}, 0.99, "The best of 1,000 trials is likely a fluke: PBO 0.50, DSR 0.99"},
             Case{999, {0.1}, 0.95, "The best of 999 trials is likely a fluke: PBO 0.10, DSR 0.95"},
             Case{1234567, {0.1}, nan, "The best of 1,234,567 trials is likely a fluke: PBO 0.10, DSR n/a"},
             Case{8569, {nan, 0.1}, 0.99, "The best of 8,569 trials is likely a fluke: PBO n/a, DSR 0.99"},
         }) {
        EXPECT_EQ(robustnessSentence(c.trials, c.pbos, c.dsr), c.sentence);
        EXPECT_EQ(holdsUp(c.pbos, c.dsr), std::string(c.sentence).find("holds up") != std::string::npos);
    }
    EXPECT_EQ(robustnessSentence(495479, {0.38}, 0.001, true),
              "The plateau trial of 495,479 trials is likely a fluke: PBO 0.38, DSR 0.00 "
              "(the PBO ranks the best in-sample trial)");
    EXPECT_EQ(withThousandsSeparators(0), "0");
    EXPECT_EQ(withThousandsSeparators(810000), "810,000");
    EXPECT_EQ(withThousandsSeparators(-1234), "-1,234");
    EXPECT_EQ(withThousandsSeparators(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
}

// After a permutation test the verdict rests on it: below 0.05 the build holds
// up against noise; from 0.05 on the test could not tell, which is no fluke
// verdict; PBO and DSR stay as figures, a plateau build keeps its name.
TEST(RobustnessVerdict, PermutationVerdictSaysWhatTheTestCanTell) {
    PermutationSummary held;
    held.permutations = 199;
    held.pValue = 3.0 / 200.0;
    PermutationSummary noise;
    noise.permutations = 199;
    noise.pValue = 0.28;
    noise.real = 509.15;
    noise.quantile95 = 849.03;
    EXPECT_EQ(permutationVerdictSentence(486910, held, {0.62}, 0.21),
              "The best of 486,910 trials holds up against noise: permutation test p = 0.0150 (PBO 0.62, DSR 0.21)");
    EXPECT_EQ(permutationVerdictSentence(486910, noise, {0.62, 0.1}, 0.21),
              "The permutation test could not tell the best of 486,910 trials from noise: p = 0.28 (PBO 0.62, DSR "
              "0.21). To stand out from noise this build needed more than 849.03 (the 95 % quantile of the shuffled "
              "histories); it earned 509.15.");
    EXPECT_EQ(permutationVerdictSentence(495479, noise, {0.38}, 0.001, true),
              "The permutation test could not tell the plateau trial of 495,479 trials from noise: p = 0.28 (PBO 0.38, "
              "DSR 0.00; the PBO ranks the best in-sample trial). To stand out from noise this build needed more than "
              "849.03 (the 95 % quantile of the shuffled histories); it earned 509.15.");
    EXPECT_EQ(notFromNoiseText(held), "");
}

}  // namespace
