#include "report/sharpe_transition.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "search/saved_model.h"
#include "model/trade_columns.h"

namespace varkel {

bool recomputeSharpeTransition(ProductRegistry& registry, std::string_view name,
                               const TradeModel& model) {
    // The model's studies stay off the charted bars (copyTradeColumns).
    ProductRegistry work = registry;
    if (!applySavedModel(work, name, model)) return false;
    runBacktest(work, name);
    sharpeRatio(work, name);
    copyTradeColumns(*work.findProduct(name), *registry.findProduct(name));
    return true;
}

}  // namespace varkel
