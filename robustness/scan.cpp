#include "robustness/scan.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "robustness/history_cut.h"
#include "robustness/permuted_history.h"
#include "robustness/scan_builds.h"
#include "robustness/walk_forward.h"
#include "search/saved_model.h"

#include <algorithm>
#include <atomic>

namespace varkel {

namespace {

// The real model of a combination measured as the builder measures it, on
// the history as its file gives it; its daily P&L per bar.
void measureRealModel(const Product& product, ScanRow& row) {
    ProductRegistry work = historyCutAt(product, product.historyLength());
    applySavedModel(work, product.name, row.model);
    runBacktest(work, product.name);
    measureTradeModel(work, product.name, row.model);
    const Product& built = *work.findProduct(product.name);
    row.dailyPnl.resize(static_cast<std::size_t>(product.barCount()));
    for (int i = 0; i < product.barCount(); ++i) row.dailyPnl[static_cast<std::size_t>(i)] = built.bars[i].dailyPnl;
}

std::optional<std::string> refusalFor(const std::vector<const Product*>& products,
                                      const std::vector<ScanCombination>& combinations, const ScanOptions& options) {
    if (auto refusal = validateScanOptions(options)) return refusal;
    if (products.empty()) return "A scan needs at least one product";
    if (products.size() > maxScanProducts)
        return "A scan takes at most " + std::to_string(maxScanProducts) + " products, not " +
               std::to_string(products.size());
    for (std::size_t j = 0; j < products.size(); ++j) {
        const Product& product = *products[j];
        for (std::size_t i = 0; i < j; ++i)
            if (products[i]->name == product.name) return "The product " + product.name + " is given twice";
        for (const ScanCombination& combination : combinations)
            if (auto refusal = validateHistoryLength(product.name, product.historyLength(), combination.choice()))
                return refusal;
        if (options.permutations > 0 && !historyMoves(product)) return pricesNotAboveZeroMessage(product.name);
    }
    return std::nullopt;
}

// Every combination on product j's permuted histories of the shard: each
// row's last-layer return at the shard's i-th history into permuted[row][i].
bool buildPermutedHistories(const Product& product, std::size_t j, std::size_t firstRow,
                            const std::vector<ScanCombination>& combinations, const ScanOptions& options,
                            const WorkControl& control, ScanResult& result) {
    const HistoryMoves moves = *historyMoves(product);
    const PermutedBuildThreads threads =
        permutedBuildThreads(product, options.selection == TrialSelection::plateau, control);
    return forEachPermutedHistory(
        product, moves, productSeed(options.seed, j), options.permutations, options.shard, threads.builds,
        [&](std::int64_t i, std::int64_t, ProductRegistry& history) {
            const auto builds = buildCombinations(*history.findProduct(product.name), combinations, options.selection,
                                                  options.grids, threads.search);
            if (!builds) return false;
            for (std::size_t c = 0; c < builds->size(); ++c)
                result.permuted[firstRow + c][static_cast<std::size_t>(i)] = (*builds)[c].real;
            return true;
        });
}

std::optional<ScanWalkForward> walkForwardOf(const Product& product, const ScanCombination& combination,
                                             const ScanOptions& options) {
    WalkForwardOptions walk;
    walk.threads = options.threads;
    walk.cancel = options.cancel;
    walk.folds = *options.walkForward;
    walk.selection = options.selection;
    walk.grids = options.grids;
    const WalkForwardReport report =
        runWalkForward(historyCutAt(product, product.historyLength()), product.name, combination.choice(), walk);
    if (!report.done()) return std::nullopt;
    return ScanWalkForward{report.totals.netProfit, report.totals.profitableFoldShare(), report.totals.folds};
}

}  // namespace

std::uint64_t productSeed(std::uint64_t seed, std::size_t productIndex) {
    return seed + static_cast<std::uint64_t>(productIndex);  // wraps past 2^64 - 1
}

std::optional<std::string> validateScanOptions(const ScanOptions& options) {
    const std::vector<ScanCombination>& combinations = options.combinations;
    for (std::size_t c = 0; c < combinations.size(); ++c) {
        if (auto refusal = validateIndexChoice(combinations[c].choice())) return refusal;
        if (std::find(combinations.begin(), combinations.begin() + static_cast<std::ptrdiff_t>(c), combinations[c]) !=
            combinations.begin() + static_cast<std::ptrdiff_t>(c))
            return "The combination " + combinationName(combinations[c]) + " is given twice";
    }
    if (options.permutations < 0 || options.permutations > maxScanPermutations)
        return "The number of permutations must be from 0 to " + std::to_string(maxScanPermutations) + ", not " +
               std::to_string(options.permutations);
    const PermutationShard shard = options.shard;
    if (options.permutations == 0 && shard != PermutationShard{})
        return std::string("A scan is cut into shards by its permutations: give some");
    if (options.permutations > 0 &&
        (shard.count < 1 || shard.number < 1 || shard.number > shard.count || shard.count > options.permutations))
        return "A shard must be I/N with 1 <= I <= N <= " + std::to_string(options.permutations) +
               " (the number of permutations), not " + std::to_string(shard.number) + "/" + std::to_string(shard.count);
    if (options.walkForward) {
        WalkForwardOptions walk;
        walk.folds = *options.walkForward;
        if (auto refusal = validateWalkForwardOptions(walk)) return refusal;
    }
    return std::nullopt;
}

ScanResult runScan(const std::vector<const Product*>& products, const ScanOptions& options) {
    ScanResult result;
    const std::vector<ScanCombination> combinations =
        options.combinations.empty() ? scanCombinations() : options.combinations;
    if (auto refusal = refusalFor(products, combinations, options)) {
        result.refuse(std::move(*refusal));
        return result;
    }
    result.permutations = options.permutations;
    result.seed = options.seed;
    result.shard = options.shard;
    const auto cancelled = [] {
        ScanResult stopped;
        stopped.outcome = RunOutcome::Cancelled;
        return stopped;
    };

    // The real builds: one product after another, each search on all the workers.
    const WorkControl real = options.startStage(static_cast<int>(ScanStage::RealBuilds));
    for (std::size_t j = 0; j < products.size(); ++j) {
        const Product* product = products[j];
        const ProductRegistry history = historyCutAt(*product, product->historyLength());
        // Every product has as many searches: progress counts them all together.
        WorkControl productReal = real;
        if (options.onProgress)
            productReal.onProgress = [&, j](int stage, std::int64_t done, std::int64_t total) {
                options.onProgress(stage, static_cast<std::int64_t>(j) * total + done,
                                   static_cast<std::int64_t>(products.size()) * total);
            };
        const auto builds =
            buildCombinations(*history.findProduct(product->name), combinations, options.selection, options.grids,
                              productReal);
        if (!builds) return cancelled();
        for (std::size_t c = 0; c < combinations.size(); ++c) {
            ScanRow row;
            row.product = product->name;
            row.combination = combinations[c];
            row.model = (*builds)[c].model;
            row.real = (*builds)[c].real;
            measureRealModel(*product, row);
            result.rows.push_back(std::move(row));
        }
    }

    if (options.permutations > 0) {
        const std::int64_t perProduct = shardSize(options.permutations, options.shard);
        for (std::int64_t i = 0; i < perProduct; ++i) result.permutationIndexes.push_back(shardIndex(i, options.shard));
        result.permuted.assign(result.rows.size(), std::vector<double>(static_cast<std::size_t>(perProduct)));
        // Progress counts the histories of every product together.
        WorkControl permuted = options.startStage(static_cast<int>(ScanStage::PermutedHistories));
        const std::int64_t total = perProduct * static_cast<std::int64_t>(products.size());
        for (std::size_t j = 0; j < products.size(); ++j) {
            WorkControl product = permuted;
            if (options.onProgress)
                product.onProgress = [&, before = perProduct * static_cast<std::int64_t>(j)](int stage, std::int64_t done,
                                                                                          std::int64_t) {
                    options.onProgress(stage, before + done, total);
                };
            if (!buildPermutedHistories(*products[j], j, j * combinations.size(), combinations, options, product, result))
                return cancelled();
        }
    }

    if (options.walkForward) {
        const WorkControl walks = options.startStage(static_cast<int>(ScanStage::WalkForwards));
        for (std::size_t r = 0; r < result.rows.size(); ++r) {
            const Product& product = *products[r / combinations.size()];
            result.rows[r].walkForward = walkForwardOf(product, result.rows[r].combination, options);
            if (options.cancelled()) return cancelled();
            walks.reportProgress(static_cast<std::int64_t>(r + 1), static_cast<std::int64_t>(result.rows.size()));
        }
    }
    if (options.permutations > 0 && options.shard == PermutationShard{}) scoreScanFamily(result);
    result.outcome = RunOutcome::Done;
    return result;
}

}  // namespace varkel
