#include "studies/study_grids.h"

namespace varkel {

std::vector<double> StepRange::values() const {
    std::vector<double> result;
    for (double value = start; value < limit; value += step) result.push_back(value);
    return result;
}

}  // namespace varkel
