#pragma once

#include <qcustomplot.h>

#include <vector>

// Ticks of a chart's x axis at whole point indexes, labelled with the points'
// labels (the bars' dates); the step widens as more points come into view.
class PointLabelTicker : public QCPAxisTicker {
public:
    explicit PointLabelTicker(const std::vector<QString>& labels) : labels_(labels) {}

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    const std::vector<QString>& labels_;
};
