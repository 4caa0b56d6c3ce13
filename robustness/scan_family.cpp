#include "robustness/scan.h"

#include "robustness/family_wise_p.h"
#include "robustness/robustness_verdict.h"

#include <algorithm>

namespace varkel {

void scoreScanFamily(ScanResult& result) {
    std::vector<double> real;
    for (const ScanRow& row : result.rows) real.push_back(row.real);
    const FamilyPValues family = familyWisePValues(real, result.permuted);
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        result.rows[r].permutation = summarisePermutations(real[r], result.permuted[r]);
        result.rows[r].adjustedPValue = family.adjusted[r];
    }
}

int rowsHoldingUp(const ScanResult& result) {
    return static_cast<int>(std::count_if(result.rows.begin(), result.rows.end(), [](const ScanRow& row) {
        return row.adjustedPValue && *row.adjustedPValue < permutationHoldsBelow;
    }));
}

}  // namespace varkel
