#pragma once

#include <QString>
#include <QStringList>

// The first `shown` lines of a long report, then "... and N more" for the
// rest, for a message box that keeps the whole report in its details.
QString firstLinesAndMore(const QStringList& lines, int shown);
