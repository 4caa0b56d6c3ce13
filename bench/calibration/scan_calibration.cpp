// Calibration of the scan's family-wise test: how often a family with no
// structure at all shows a combination that "holds up" (the family-wise
// error, which must stay near 5 % or below), and how often a family with a
// planted edge of known strength does (the power). First on made-up return
// matrices whose null is exact, then through the whole scan (runScan) on
// histories made of the USD/JPY sample's moves in random orders.
//
// usage: varkel-scan-calibration [--families=N] [--permutations=P] [--days=D]
//                                [--threads=T] [--matrix-families=N]
#include "exchangeable_families.h"
#include "planted_history.h"

#include "data/price_file.h"
#include "robustness/robustness_verdict.h"
#include "robustness/scan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace varkel;
using namespace varkel::calibration;

struct Settings {
    int families = 40;
    int permutations = 99;
    int days = 750;
    int threads = 0;
    int matrixFamilies = 2000;
};

Settings parse(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const auto value = [&](std::string_view option, int& into) {
            if (argument.substr(0, option.size()) != option) return false;
            into = std::atoi(std::string(argument.substr(option.size())).c_str());
            return true;
        };
        if (!value("--families=", settings.families) && !value("--permutations=", settings.permutations) &&
            !value("--days=", settings.days) && !value("--threads=", settings.threads) &&
            !value("--matrix-families=", settings.matrixFamilies)) {
            std::fprintf(stderr, "usage: %s [--families=N] [--permutations=P] [--days=D] [--threads=T] "
                                 "[--matrix-families=N]\n", argv[0]);
            std::exit(2);
        }
    }
    return settings;
}

void printMatrixCalibration(const Settings& settings) {
    std::printf("Family-wise p alone: %d families of 20 combinations per row, exact null\n"
                "(offsets and spreads differ by combination; the real column is exchangeable)\n\n",
                settings.matrixFamilies);
    std::printf("| P | correlation | edge (sd) | some holds up | some own p < 5 %% | edge holds up | edge's own p < 5 %% |\n"
                "|---|---|---|---|---|---|---|\n");
    for (const int permutations : {settings.permutations, 999})
        for (const double correlation : {0.0, 0.9})
            for (const double edge : {0.0, 3.0, 5.0}) {
                ExchangeableFamilies setting;
                setting.correlation = correlation;
                setting.edge = edge;
                setting.permutations = permutations;
                setting.families = settings.matrixFamilies;
                setting.seed = 7;
                const FamilyShares shares = measureExchangeableFamilies(setting);
                std::printf("| %d | %.1f | %.1f | %.1f %% | %.1f %% | %.1f %% | %.1f %% |\n", permutations,
                            correlation, edge, 100 * shares.anyHoldsUp, 100 * shares.anyRawBelow,
                            100 * shares.plantedHoldsUp, 100 * shares.plantedRawBelow);
            }
    std::printf("\n");
    std::fflush(stdout);
}

// Small grids keeping the standard ranges with coarse steps.
BuildGrids calibrationGrids() {
    BuildGrids grids;
    grids.lreg = {{5, 44}, {0.0, 0.05, 0.5}};
    grids.tsc = {{5, 44}, {0.3, 0.07, 1.0}};
    grids.roc = {{1, 10}, {0.5, 0.5, 5.0}};
    grids.ndist = {{3, 20}, {0.0, 1.5, 15.0}};
    return grids;
}

// The lag-1 autocorrelation of the history's daily close-to-close log moves:
// what the plant put there, measured.
double moveAutocorrelation(const Product& history) {
    std::vector<double> moves;
    for (int t = 1; t < history.historyLength(); ++t)
        moves.push_back(std::log(history.bars[static_cast<std::size_t>(t)].close /
                                 history.bars[static_cast<std::size_t>(t) - 1].close));
    double mean = 0.0;
    for (const double m : moves) mean += m;
    mean /= static_cast<double>(moves.size());
    double lagged = 0.0;
    double squares = 0.0;
    for (std::size_t t = 0; t < moves.size(); ++t) {
        squares += (moves[t] - mean) * (moves[t] - mean);
        if (t > 0) lagged += (moves[t] - mean) * (moves[t - 1] - mean);
    }
    return lagged / squares;
}

struct Row {
    const char* name;
    Planted planted;
};

void printScanCalibration(const Settings& settings) {
    ProductRegistry registry;
    registry.addProduct("USD/JPY");
    loadPriceFile(registry, "USD/JPY", std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt");
    const Product& sample = *registry.findProduct("USD/JPY");
    const HistoryMoves moves = *historyMoves(sample);

    ScanOptions options;
    options.combinations = scanCombinations({StudyKind::LinearRegression, StudyKind::TimeSeriesCorrelation},
                                            {StudyKind::RateOfChange, StudyKind::NormalDistribution});
    options.grids = calibrationGrids();
    options.permutations = settings.permutations;
    options.threads = settings.threads;
    std::printf("The whole scan: %d families per row, each a history of %d days made of the USD/JPY sample's\n"
                "moves in a random order (trend cycles of %d days), P = %d, %zu combinations:\n",
                settings.families, settings.days, trendCycleDays, settings.permutations,
                options.combinations.size());
    for (const ScanCombination& combination : options.combinations)
        std::printf("  %s\n", combinationName(combination).c_str());
    std::printf("\n| planted | lag-1 autocorrelation, mean | families | some combination holds up | some own p < 5 %% | holding up, mean | best adjusted p within reach, mean | s per family |\n"
                "|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);

    const Row rows[] = {
        {"nothing", {PlantedKind::Momentum, 0.0}},        {"momentum 0.15", {PlantedKind::Momentum, 0.15}},
        {"momentum 0.30", {PlantedKind::Momentum, 0.30}}, {"trend 0.10 sd", {PlantedKind::Trend, 0.10}},
        {"trend 0.20 sd", {PlantedKind::Trend, 0.20}},    {"trend 0.30 sd", {PlantedKind::Trend, 0.30}},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        int holding = 0;
        int rawBelow = 0;
        int combinationsHolding = 0;
        double withinReach = 0.0;
        double autocorrelation = 0.0;
        const auto start = std::chrono::steady_clock::now();
        for (int family = 0; family < settings.families; ++family) {
            const Product history = plantedHistory(sample, moves, settings.days, rows[r].planted,
                                                   1000003ull * (r + 1) + static_cast<std::uint64_t>(family));
            autocorrelation += moveAutocorrelation(history);
            options.seed = static_cast<std::uint64_t>(family) + 1;
            const ScanResult result = runScan({&history}, options);
            if (!result.done()) {
                std::fprintf(stderr, "scan refused: %s\n", result.refusal.c_str());
                std::exit(1);
            }
            withinReach += result.bestAdjustedWithinReach.value_or(1.0);
            const int held = rowsHoldingUp(result);
            combinationsHolding += held;
            holding += held > 0 ? 1 : 0;
            rawBelow += std::any_of(result.rows.begin(), result.rows.end(), [](const ScanRow& row) {
                return row.permutation->pValue < permutationHoldsBelow;
            }) ? 1 : 0;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double families = settings.families;
        std::printf("| %s | %.3f | %d | %.1f %% | %.1f %% | %.2f | %.3f | %.2f |\n", rows[r].name, autocorrelation / families,
                    settings.families, 100 * holding / families, 100 * rawBelow / families, combinationsHolding / families,
                    withinReach / families, seconds / families);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Settings settings = parse(argc, argv);
    printMatrixCalibration(settings);
    printScanCalibration(settings);
    return 0;
}
