#include "windows/robustness/scan_job.h"

#include "data/price_check.h"
#include "report/flagged_return.h"
#include "report/scan_report.h"

using namespace varkel;

ScanResult scanWithFlaggedShares(const ScanInputs& inputs, const ScanOptions& options) {
    std::vector<const Product*> products;
    for (std::size_t i = 0; i < inputs.histories.size(); ++i)
        products.push_back(inputs.histories[i].findProduct(inputs.names[i]));
    ScanResult result = runScan(products, options);
    if (!result.done()) return result;
    std::vector<std::vector<FlaggedBar>> flagged;
    for (std::size_t i = 0; i < products.size(); ++i)
        flagged.push_back(flaggedBarsOf(checkPriceFile(inputs.pricePaths[i], inputs.names[i]).findings));
    fillFlaggedShares(result, products, flagged);
    return result;
}
