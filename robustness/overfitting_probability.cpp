// The scoring of a tile's splits is compiled once per vector target
// (hwy/foreach_target.h); the estimate chooses the best target the processor
// supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "robustness/overfitting_probability.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "robustness/overfitting_probability.h"

#include "base/work_control.h"
#include "robustness/cscv_splits.h"
#include "search/first_best.h"
#include "search/parallel_chunks.h"
#include "robustness/pnl_blocks.h"
#include "robustness/split_scores.h"
#include "robustness/split_scores-inl.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

using ScoreTag = hn::ScalableTag<double>;
using CountTag = hn::RebindToSigned<ScoreTag>;

// Pass 1 for one tile: raises each split's best to the first strictly better
// trial of the tile. Most tiles hold none, so a vector test for any score
// above the best comes first.
class ChooseLeaf {
public:
    ChooseLeaf(std::int64_t first, int count, SplitBest* bests) : first_(first), count_(count), bests_(bests) {}

    // Splits firstSplit .. firstSplit + Group - 1 (see SplitScorer).
    template <int Group>
    HWY_INLINE void group(int firstSplit, const double* partial, const double* columns) {
        const ScoreTag d;
        const int step = static_cast<int>(hn::Lanes(d));
        // Lanes set where a score passed the best, kept as a vector: a chain
        // of mask registers costs more than the comparisons on AVX-512.
        hn::Vec<ScoreTag> bar[Group], above[Group];
        for (int g = 0; g < Group; ++g) {
            bar[g] = hn::Set(d, bests_[firstSplit + g].score);
            above[g] = hn::Zero(d);
        }
        int t = 0;
        for (; t + step <= count_; t += step) {
            const auto from = hn::LoadU(d, partial + t);
            for (int g = 0; g < Group; ++g) {
                const auto scores = hn::Add(from, hn::LoadU(d, columns + g * cscvTileTrials + t));
                above[g] = hn::Or(above[g], hn::VecFromMask(d, hn::Gt(scores, bar[g])));
            }
        }
        for (int g = 0; g < Group; ++g) {
            SplitBest& best = bests_[firstSplit + g];
            const double* column = columns + g * cscvTileTrials;
            bool any = !hn::AllFalse(d, hn::MaskFromVec(above[g]));
            for (int u = t; u < count_; ++u) any = any || partial[u] + column[u] > best.score;
            if (!any) continue;
            for (int u = 0; u < count_; ++u) keepFirstStrictlyBest(partial[u] + column[u], first_ + u, best.score, best.trial);
        }
    }

private:
    std::int64_t first_;
    int count_;
    SplitBest* bests_;
};

// Pass 2 for one tile: for every split, how many trials score below and how
// many equal the out-of-sample score of the trial chosen for its complement.
// Each vector's comparisons count in lanes (a true lane is -1), summed once
// per split.
class RankLeaf {
public:
    RankLeaf(int count, const double* thresholds, const int* complements, std::int64_t* below, std::int64_t* equal)
        : count_(count), thresholds_(thresholds), complements_(complements), below_(below), equal_(equal) {}

    // Splits firstSplit .. firstSplit + Group - 1 (see SplitScorer).
    template <int Group>
    HWY_INLINE void group(int firstSplit, const double* partial, const double* columns) {
        const ScoreTag d;
        const CountTag di;
        const int step = static_cast<int>(hn::Lanes(d));
        hn::Vec<ScoreTag> bar[Group];
        hn::Vec<CountTag> lowerLanes[Group], sameLanes[Group];
        for (int g = 0; g < Group; ++g) {
            bar[g] = hn::Set(d, thresholds_[complements_[firstSplit + g]]);
            lowerLanes[g] = hn::Zero(di);
            sameLanes[g] = hn::Zero(di);
        }
        int t = 0;
        for (; t + step <= count_; t += step) {
            const auto from = hn::LoadU(d, partial + t);
            for (int g = 0; g < Group; ++g) {
                const auto scores = hn::Add(from, hn::LoadU(d, columns + g * cscvTileTrials + t));
                lowerLanes[g] = hn::Sub(lowerLanes[g], hn::BitCast(di, hn::VecFromMask(d, hn::Lt(scores, bar[g]))));
                sameLanes[g] = hn::Sub(sameLanes[g], hn::BitCast(di, hn::VecFromMask(d, hn::Eq(scores, bar[g]))));
            }
        }
        for (int g = 0; g < Group; ++g) {
            const int way = complements_[firstSplit + g];
            const double threshold = thresholds_[way];
            const double* column = columns + g * cscvTileTrials;
            std::int64_t lower = hn::GetLane(hn::SumOfLanes(di, lowerLanes[g]));
            std::int64_t same = hn::GetLane(hn::SumOfLanes(di, sameLanes[g]));
            for (int u = t; u < count_; ++u) {
                const double score = partial[u] + column[u];
                lower += score < threshold ? 1 : 0;
                same += score == threshold ? 1 : 0;
            }
            below_[way] += lower;
            equal_[way] += same;
        }
    }

private:
    int count_;
    const double* thresholds_;
    const int* complements_;
    std::int64_t* below_;
    std::int64_t* equal_;
};

void ChooseInTile(const double* columns, int count, int blockCount, double* partial, std::int64_t first,
                  SplitBest* bests) {
    ChooseLeaf leaf(first, count, bests);
    SplitScorer<ChooseLeaf>(columns, count, blockCount, partial, leaf).run();
}

void RankInTile(const double* columns, int count, int blockCount, double* partial, const double* thresholds,
                const int* complements, std::int64_t* below, std::int64_t* equal) {
    RankLeaf leaf(count, thresholds, complements, below, equal);
    SplitScorer<RankLeaf>(columns, count, blockCount, partial, leaf).run();
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(ChooseInTile);
HWY_EXPORT(RankInTile);

namespace {

constexpr std::int64_t chunkTrials = 32 * cscvTileTrials;

// Per-worker scratch: one tile of block sums laid out block by block, and the
// partial sums the split scorer shares between splits.
struct TileScratch {
    std::vector<double> columns;
    std::vector<double> partial;
    explicit TileScratch(int blockCount)
        : columns(static_cast<std::size_t>(blockCount) * cscvTileTrials),
          partial(static_cast<std::size_t>(blockCount / 2) * cscvTileTrials, 0.0) {}
};

void loadTile(const double* blockSums, std::int64_t first, int count, int blockCount, TileScratch& scratch) {
    // Column by column: the tile's rows stay in L1 while each column is
    // written in one run (row by row, the writes 2 KB apart conflict).
    const double* rows = blockSums + first * blockCount;
    for (int block = 0; block < blockCount; ++block) {
        double* column = scratch.columns.data() + static_cast<std::size_t>(block) * cscvTileTrials;
        for (int t = 0; t < count; ++t) column[t] = rows[t * blockCount + block];
    }
}

// Runs onTile(firstTrial, trialCount, scratch) over every tile of the chunk.
template <class OnTile>
void forEachTile(std::int64_t chunk, std::int64_t trialCount, const double* blockSums, int blockCount,
                 TileScratch& scratch, OnTile&& onTile) {
    const std::int64_t end = std::min(trialCount, (chunk + 1) * chunkTrials);
    for (std::int64_t first = chunk * chunkTrials; first < end; first += cscvTileTrials) {
        const int count = static_cast<int>(std::min<std::int64_t>(cscvTileTrials, end - first));
        loadTile(blockSums, first, count, blockCount, scratch);
        onTile(first, count);
    }
}

double outOfSampleScore(const double* row, int blockCount, std::uint32_t inSampleMask) {
    double score = 0.0;
    for (int block = 0; block < blockCount; ++block)
        if ((inSampleMask & (1u << block)) == 0) score += row[block];
    return score;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double leastSquaresSlope(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    double sumX = 0.0;
    double sumY = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sumX += x[i];
        sumY += y[i];
    }
    const double meanX = sumX / n;
    const double meanY = sumY / n;
    double sxx = 0.0;
    double sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    return sxx > 0.0 ? sxy / sxx : std::numeric_limits<double>::quiet_NaN();
}

void summarise(PboResult& result) {
    const double splits = static_cast<double>(result.splitCount);
    int overfit = 0;
    int losses = 0;
    for (int split = 0; split < result.splitCount; ++split) {
        if (result.logits[static_cast<std::size_t>(split)] <= 0.0) ++overfit;
        if (result.outOfSampleScores[static_cast<std::size_t>(split)] < 0.0) ++losses;
    }
    result.pbo = overfit / splits;
    result.outOfSampleLossProbability = losses / splits;
    result.medianLogit = median(result.logits);
    result.degradationSlope = leastSquaresSlope(result.inSampleScores, result.outOfSampleScores);
}

}  // namespace

PboResult estimatePbo(const double* blockSums, std::int64_t trialCount, int blockCount,
                      const WorkControl& control) {
    PboResult result;
    result.blockCount = blockCount;
    result.trialCount = trialCount;
    if (blockSums == nullptr || trialCount < 1 || !isValidPnlBlockCount(blockCount)) return result;

    const std::vector<std::uint32_t> splits = cscvSplits(blockCount);
    const std::vector<int> complements = cscvComplements(splits, blockCount);
    const int splitCount = static_cast<int>(splits.size());
    const auto splitSize = splits.size();
    result.splitCount = splitCount;

    const int chunkCount = static_cast<int>((trialCount + chunkTrials - 1) / chunkTrials);
    const int workers = workerCountFor(control, chunkCount);
    std::vector<TileScratch> scratch(static_cast<std::size_t>(workers), TileScratch(blockCount));
    std::mutex progressMutex;
    std::int64_t trialsDone = 0;
    auto reportChunk = [&](int chunk) {
        if (!control.onProgress) return;
        const std::int64_t trials = std::min(trialCount, (chunk + 1) * chunkTrials) - chunk * chunkTrials;
        std::lock_guard lock(progressMutex);
        trialsDone += trials;
        control.reportProgress(trialsDone, 2 * trialCount);
    };

    // Pass 1: the first strictly best trial in sample for every split. Each
    // worker takes chunks in ascending order, so strict improvement keeps the
    // first best of its own chunks; the merge below breaks ties by trial.
    std::vector<std::vector<SplitBest>> workerBests(static_cast<std::size_t>(workers),
                                                    std::vector<SplitBest>(splitSize));
    const bool chosen = runChunks(chunkCount, workers, control.cancel, [&](int chunk, int worker) {
        TileScratch& tile = scratch[static_cast<std::size_t>(worker)];
        std::vector<SplitBest>& bests = workerBests[static_cast<std::size_t>(worker)];
        forEachTile(chunk, trialCount, blockSums, blockCount, tile, [&](std::int64_t first, int count) {
            HWY_DYNAMIC_DISPATCH(ChooseInTile)(tile.columns.data(), count, blockCount, tile.partial.data(), first,
                                               bests.data());
        });
        reportChunk(chunk);
    });
    if (!chosen) {
        result.cancelled = true;
        return result;
    }

    result.chosenTrials.assign(splitSize, 0);
    result.inSampleScores.assign(splitSize, 0.0);
    result.outOfSampleScores.assign(splitSize, 0.0);
    for (std::size_t split = 0; split < splitSize; ++split) {
        SplitBest best;
        for (const auto& bests : workerBests) {
            const SplitBest& candidate = bests[split];
            if (candidate.trial < 0) continue;
            if (best.trial < 0 || candidate.score > best.score ||
                (candidate.score == best.score && candidate.trial < best.trial))
                best = candidate;
        }
        if (best.trial < 0) best = {blockSums[0], 0};  // only when the sums are not finite
        result.chosenTrials[split] = best.trial;
        result.inSampleScores[split] = best.score;
        result.outOfSampleScores[split] =
            outOfSampleScore(blockSums + best.trial * blockCount, blockCount, splits[split]);
    }

    // Pass 2: every trial's out-of-sample score against the chosen one's. The
    // out-of-sample score for a split is the in-sample score of its complement.
    std::vector<std::vector<std::int64_t>> below(static_cast<std::size_t>(workers),
                                                 std::vector<std::int64_t>(splitSize, 0));
    std::vector<std::vector<std::int64_t>> equal = below;
    const bool ranked = runChunks(chunkCount, workers, control.cancel, [&](int chunk, int worker) {
        TileScratch& tile = scratch[static_cast<std::size_t>(worker)];
        std::int64_t* belowCounts = below[static_cast<std::size_t>(worker)].data();
        std::int64_t* equalCounts = equal[static_cast<std::size_t>(worker)].data();
        forEachTile(chunk, trialCount, blockSums, blockCount, tile, [&](std::int64_t, int count) {
            HWY_DYNAMIC_DISPATCH(RankInTile)(tile.columns.data(), count, blockCount, tile.partial.data(),
                                             result.outOfSampleScores.data(), complements.data(), belowCounts,
                                             equalCounts);
        });
        reportChunk(chunk);
    });
    if (!ranked) {
        result.cancelled = true;
        return result;
    }

    result.logits.assign(splitSize, 0.0);
    for (std::size_t split = 0; split < splitSize; ++split) {
        std::int64_t lower = 0;
        std::int64_t same = 0;
        for (int worker = 0; worker < workers; ++worker) {
            lower += below[static_cast<std::size_t>(worker)][split];
            same += equal[static_cast<std::size_t>(worker)][split];
        }
        const double rank = (static_cast<double>(lower) + 0.5 * static_cast<double>(same)) /
                            static_cast<double>(trialCount);
        result.logits[split] = std::log(rank / (1.0 - rank));
    }
    summarise(result);
    result.valid = true;
    return result;
}

}  // namespace varkel
#endif  // HWY_ONCE
