#include "windows/data/price_check_message.h"

#include "data/price_check_texts.h"
#include "workbench/message_lines.h"
#include "workbench/seams.h"

using namespace varkel;

PriceCheckMessage priceCheckMessage(const PriceCheck& check, const QString& fileName) {
    QStringList lines;
    // What runs through the whole history first: a long list of bars would hide it.
    for (const std::string& line : describeHistoryFindings(check)) lines << QString::fromStdString(line);
    for (const DataFinding& finding : check.findings) lines << QString::fromStdString(describeFinding(finding));
    const QString summary = QStringLiteral("%1: %2").arg(fileName, QString::fromStdString(checkSummary(check)));
    return {summary + QStringLiteral("\n\n") + firstLinesAndMore(lines, PriceCheckMessage::shownFindings),
            lines.join(QLatin1Char('\n'))};
}

void reportPriceCheck(const PriceCheck& check, const QString& fileName) {
    if (check.findings.empty() && check.historyFindings.empty()) return;
    const PriceCheckMessage message = priceCheckMessage(check, fileName);
    showMessage(message.text, message.details);
}
