#include "workbench/message_lines.h"

QString firstLinesAndMore(const QStringList& lines, int shown) {
    QStringList first = lines.mid(0, shown);
    if (lines.size() > first.size()) first << QStringLiteral("... and %1 more").arg(lines.size() - first.size());
    return first.join(QLatin1Char('\n'));
}
