#include "report/sharpe_transition.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/saved_model.h"

namespace varkel {

bool recomputeSharpeTransition(ProductRegistry& registry, std::string_view name,
                               const TradeModel& model) {
    if (!applySavedModel(registry, name, model)) return false;
    runBacktest(registry, name);
    sharpeRatio(registry, name);
    return true;
}

}  // namespace varkel
