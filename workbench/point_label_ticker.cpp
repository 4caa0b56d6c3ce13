#include "workbench/point_label_ticker.h"

#include <algorithm>
#include <cmath>

double PointLabelTicker::getTickStep(const QCPRange& range) {
    return std::max(1.0, std::round(QCPAxisTicker::getTickStep(range)));
}

int PointLabelTicker::getSubTickCount(double) {
    return 0;
}

QString PointLabelTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    const double index = std::round(tick);
    if (index < 0 || index >= static_cast<double>(labels_.size())) return {};
    return labels_[static_cast<std::size_t>(index)];
}
