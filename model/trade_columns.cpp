#include "model/trade_columns.h"

#include <algorithm>

namespace varkel {

void copyTradeColumns(const Product& from, Product& to) {
    const std::size_t count = std::min(from.bars.size(), to.bars.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Bar& source = from.bars[i];
        Bar& target = to.bars[i];
        target.position = source.position;
        target.dailyPnl = source.dailyPnl;
        target.cumulativePnl = source.cumulativePnl;
        target.rolling20Ratio = source.rolling20Ratio;
    }
}

}  // namespace varkel
