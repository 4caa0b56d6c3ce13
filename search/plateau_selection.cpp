#include "search/plateau_selection.h"

#include <algorithm>
#include <cstdint>

namespace varkel {

namespace {

// Finds the trial at a step vector. Grids fill most of their bounding box, so
// a dense table over the box is small; an odd surface whose box would be much
// larger than its trial count falls back to binary search in sorted order.
class StepLookup {
public:
    StepLookup(const int* steps, int parameterCount, std::int64_t trialCount)
        : steps_(steps), dimensions_(parameterCount), lowest_(parameterCount), extent_(parameterCount) {
        for (int p = 0; p < parameterCount; ++p) {
            int low = steps[p];
            int high = steps[p];
            for (std::int64_t t = 1; t < trialCount; ++t) {
                low = std::min(low, steps[t * parameterCount + p]);
                high = std::max(high, steps[t * parameterCount + p]);
            }
            lowest_[static_cast<std::size_t>(p)] = low;
            extent_[static_cast<std::size_t>(p)] = static_cast<std::int64_t>(high) - low + 1;
        }
        const std::int64_t limit = std::max<std::int64_t>(4 * trialCount, std::int64_t{1} << 20);
        std::int64_t box = 1;
        for (std::int64_t extent : extent_) box = box > limit / extent ? limit + 1 : box * extent;
        if (box <= limit) {
            cells_.assign(static_cast<std::size_t>(box), -1);
            for (std::int64_t t = trialCount - 1; t >= 0; --t)
                cells_[static_cast<std::size_t>(cellOf(steps + t * parameterCount))] = t;
        } else {
            sorted_.resize(static_cast<std::size_t>(trialCount));
            for (std::int64_t t = 0; t < trialCount; ++t) sorted_[static_cast<std::size_t>(t)] = t;
            std::stable_sort(sorted_.begin(), sorted_.end(), [&](std::int64_t a, std::int64_t b) {
                return std::lexicographical_compare(stepsOf(a), stepsOf(a) + dimensions_, stepsOf(b),
                                                    stepsOf(b) + dimensions_);
            });
        }
    }

    // The first trial at `key`, or -1 when none was tried there.
    std::int64_t find(const int* key) const {
        for (int p = 0; p < dimensions_; ++p) {
            const std::int64_t offset = static_cast<std::int64_t>(key[p]) - lowest_[static_cast<std::size_t>(p)];
            if (offset < 0 || offset >= extent_[static_cast<std::size_t>(p)]) return -1;
        }
        if (!cells_.empty()) return cells_[static_cast<std::size_t>(cellOf(key))];
        const auto it = std::lower_bound(sorted_.begin(), sorted_.end(), key, [&](std::int64_t trial, const int* k) {
            return std::lexicographical_compare(stepsOf(trial), stepsOf(trial) + dimensions_, k, k + dimensions_);
        });
        if (it == sorted_.end() || !std::equal(key, key + dimensions_, stepsOf(*it))) return -1;
        return *it;
    }

private:
    const int* stepsOf(std::int64_t trial) const { return steps_ + trial * dimensions_; }

    std::int64_t cellOf(const int* key) const {
        std::int64_t cell = 0;
        for (int p = 0; p < dimensions_; ++p)
            cell = cell * extent_[static_cast<std::size_t>(p)] + (key[p] - lowest_[static_cast<std::size_t>(p)]);
        return cell;
    }

    const int* steps_;
    int dimensions_;
    std::vector<int> lowest_;
    std::vector<std::int64_t> extent_;
    std::vector<std::int64_t> cells_;
    std::vector<std::int64_t> sorted_;
};

}  // namespace

std::vector<int> gridSteps(const ParameterSurface& surface) {
    const std::size_t dimensions = surface.parameterCount();
    const std::size_t trials = surface.trialCount();
    std::vector<int> steps(dimensions * trials);
    for (std::size_t p = 0; p < dimensions; ++p) {
        std::vector<double> values;
        values.reserve(trials);
        for (std::size_t t = 0; t < trials; ++t) values.push_back(surface.parameter(t, p));
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        for (std::size_t t = 0; t < trials; ++t)
            steps[t * dimensions + p] = static_cast<int>(
                std::lower_bound(values.begin(), values.end(), surface.parameter(t, p)) - values.begin());
    }
    return steps;
}

PlateauChoice selectPlateau(const int* steps, int parameterCount, const double* returns, std::int64_t trialCount) {
    PlateauChoice choice;
    if (trialCount < 1 || parameterCount < 1) return choice;
    const StepLookup lookup(steps, parameterCount, trialCount);
    int offsets = 1;
    for (int p = 0; p < parameterCount; ++p) offsets *= 3;

    std::vector<int> key(static_cast<std::size_t>(parameterCount));
    std::vector<std::int64_t> neighbours;
    for (std::int64_t trial = 0; trial < trialCount; ++trial) {
        const int* own = steps + trial * parameterCount;
        neighbours.clear();
        for (int offset = 0; offset < offsets; ++offset) {
            int digits = offset;
            for (int p = parameterCount - 1; p >= 0; --p) {
                key[static_cast<std::size_t>(p)] = own[p] + digits % 3 - 1;
                digits /= 3;
            }
            const std::int64_t neighbour = lookup.find(key.data());
            if (neighbour >= 0) neighbours.push_back(neighbour);
        }
        std::sort(neighbours.begin(), neighbours.end());
        double sum = 0.0;
        for (std::int64_t neighbour : neighbours) sum += returns[neighbour];
        const double mean = sum / static_cast<double>(neighbours.size());
        if (choice.trial < 0 || mean > choice.meanReturn) {
            choice.trial = trial;
            choice.meanReturn = mean;
            choice.neighbourhoodSize = static_cast<int>(neighbours.size());
        }
    }
    return choice;
}

PlateauChoice selectPlateau(const ParameterSurface& surface) {
    const std::vector<int> steps = gridSteps(surface);
    return selectPlateau(steps.data(), static_cast<int>(surface.parameterCount()), surface.returns.data(),
                         static_cast<std::int64_t>(surface.trialCount()));
}

}  // namespace varkel
