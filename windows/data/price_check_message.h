#pragma once

#include "data/price_check.h"

#include <QString>

// The data-quality report of a price file as one message box: the summary and
// the first findings in the text, every finding in the details.
struct PriceCheckMessage {
    QString text;
    QString details;

    static constexpr int shownFindings = 8;
};

// "USD_JPY.txt: 5352 bars, 2 findings: 1 gap, 1 spike" and a line per finding
// (the history's findings first), at most shownFindings of them, then "... and
// N more".
PriceCheckMessage priceCheckMessage(const varkel::PriceCheck& check, const QString& fileName);

// Shows the report when the check found anything; a clean file shows nothing.
void reportPriceCheck(const varkel::PriceCheck& check, const QString& fileName);
