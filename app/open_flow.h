#pragma once

#include <QString>

class ChartWorkspace;
class QWidget;

// File Open and a recent file: asks for the product in the Product Name dialog
// (owned by `owner`; a given `pricePath` fills it from the file's name,
// USD_JPY.txt giving USD/JPY), then for its price file unless `pricePath` is
// given, and opens it into the active workspace. Nothing happens when the
// user cancels.
void runOpenFlow(QWidget* owner, const QString& pricePath = QString());

// Loads the price file of `product` into the workspace's registry, computes the
// moving averages 20 and 40 and shows the price chart in the product tab strip.
// A workspace shows one product: a second one is refused with a message.
// Returns true when the chart was made.
bool openPriceFile(ChartWorkspace& workspace, const QString& product, const QString& path);

// Where File Open's dialog starts: the folder of the newest recent file or,
// before a first history was ever opened, the bundled samples; else the start
// directory.
QString openDialogFolder();

// Reloads every open view whose price file is the file at `path` (the same
// file under any name): the bars, the studies shown, the tick range and the
// charts. A file that can no longer be read leaves the views as they were and
// says so.
void reloadViewsShowing(const QString& path);
