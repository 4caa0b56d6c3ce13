#pragma once

#include <QString>

class ChartWorkspace;
class QWidget;

// After the product is named: asks for its price file (owned by `owner`) and
// opens it into the workspace. Nothing happens when the user cancels.
void askAndOpenPriceFile(ChartWorkspace& workspace, const QString& product, QWidget* owner);

// Loads the price file of `product` into the workspace's registry, computes the
// moving averages 20 and 40 and shows the price chart in the product tab strip.
// A workspace shows one product: a second one is refused with a message.
// Returns true when the chart was made.
bool openPriceFile(ChartWorkspace& workspace, const QString& product, const QString& path);
