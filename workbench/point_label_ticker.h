#pragma once

#include <qcustomplot.h>

#include <functional>
#include <vector>

// Ticks of a chart's x axis at whole point indexes, labelled with the points'
// labels (the bars' dates); the step widens as more points come into view.
// Only points the chart draws are labelled: labels kept from an earlier, longer
// fill would put dates under bars that are not shown.
class PointLabelTicker : public QCPAxisTicker {
public:
    PointLabelTicker(const std::vector<QString>& labels, std::function<bool(int point)> isDrawn)
        : labels_(labels), isDrawn_(std::move(isDrawn)) {}

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    const std::vector<QString>& labels_;
    const std::function<bool(int point)> isDrawn_;
};
