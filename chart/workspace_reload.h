#pragma once

#include "chart/workspace_charts.h"
#include "data/price_file.h"

namespace varkel {

// Reads the workspace's price file again into its product, after the program
// wrote to it: the bars as the file holds them now, each recorded study run
// again on them in the order it was run, and the tick range on the latest
// bars (the whole history when the whole history was shown). The product
// stays as it was when the file cannot be read.
PriceFileLoad reloadWorkspaceProduct(WorkspaceCharts& workspace);

}  // namespace varkel
