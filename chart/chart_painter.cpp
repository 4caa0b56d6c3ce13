#include "chart/chart_painter.h"

#include "chart/price_chart_setup.h"
#include "studies/study_catalogue.h"

#include <algorithm>

namespace varkel {

namespace {

// The catalogue's entry of a study that has a study chart; null otherwise.
const StudyInfo* findStudyChartInfo(StudyKind kind) {
    const StudyInfo* study = findStudy(kind);
    return study != nullptr && study->chartKey != nullptr ? study : nullptr;
}

// The first bar of the history whose `field` is not 0. Studies write 0 on the
// bars before their window is full: "no value yet", which is not drawn.
int firstValueBar(const Product& product, double Bar::*field) {
    const int history = product.historyLength();
    for (int i = 0; i < history; ++i)
        if (product.bars[static_cast<std::size_t>(i)].*field != 0.0) return i;
    return history;
}

// The ranges start from these, so a range always reaches 0 from one side.
constexpr double initialMax = 0.0;
constexpr double initialMin = 10000000.0;

}  // namespace

const char* studyChartKey(StudyKind kind) {
    const StudyInfo* study = findStudyChartInfo(kind);
    return study != nullptr ? study->chartKey : "NA";
}

void ChartPainter::paint() {
    const Product* product = workspace.registry.findProduct(workspace.productName);
    if (product == nullptr) return;
    if (isPriceChart)
        paintPriceChart(*product);
    else
        paintStudyChart(*product);
}

void ChartPainter::paintPriceChart(const Product& product) {
    ChartControl* chart = workspace.priceChart;
    if (chart == nullptr) return;
    const int history = product.historyLength();
    const int start = workspace.barsTotal - workspace.barsShown;
    double max = initialMax;
    double min = initialMin;
    int point = 0;
    for (int i = std::max(start, 0); i < history; ++i) {
        const Bar& bar = product.bars[static_cast<std::size_t>(i)];
        chart->setValue(0, point, bar.low);
        chart->setValue(1, point, bar.open);
        chart->setValue(2, point, bar.close);
        chart->setValue(3, point, bar.high);
        if (kind == StudyKind::KeltnerChannels) {
            const bool noBands = bar.keltnerLower == 0.0;
            chart->setValue(4, point, noBands ? hiddenValue : bar.keltnerUpper);
            chart->setValue(5, point, noBands ? hiddenValue : bar.keltnerLower);
        } else {
            chart->setValue(4, point, movingAverageOrHidden(bar.maShort, bar.maShortPeriod, i));
            chart->setValue(5, point, movingAverageOrHidden(bar.maLong, bar.maLongPeriod, i));
        }
        if (max <= bar.high) max = bar.high;
        if (min >= bar.low) min = bar.low;
        chart->setPointLabel(point, bar.dateText);
        ++point;
    }
    workspace.minLow = min;
    workspace.maxHigh = max;
    chart->setPlotRange(0.0, min - workspace.rangeMargin, point, max + workspace.rangeMargin);
}

void ChartPainter::paintStudyChart(const Product& product) {
    const StudyInfo* study = findStudyChartInfo(kind);
    StudyChart* record = findStudyChart(studyChartKey(kind), workspace);
    if (study == nullptr || record == nullptr || record->chart == nullptr) return;
    double Bar::*const series0 = study->chartSeries[0];
    double Bar::*const series1 = study->chartSeries.size() > 1 ? study->chartSeries[1] : nullptr;
    ChartControl* chart = record->chart;
    const int history = product.historyLength();
    const int start = workspace.barsTotal - workspace.barsShown;
    const int first0 = firstValueBar(product, series0);
    const int first1 = series1 != nullptr ? firstValueBar(product, series1) : history;
    double max = initialMax;
    double min = initialMin;
    int point = 0;
    for (int i = std::max(start, 0); i < history; ++i) {
        const Bar& bar = product.bars[static_cast<std::size_t>(i)];
        const double value = bar.*series0;
        chart->setValue(0, point, i < first0 ? hiddenValue : value);
        chart->setValue(1, point, i < first1 ? hiddenValue : bar.*series1);
        if (max <= value) max = value;
        if (min >= value) min = value;
        chart->setPointLabel(point, bar.dateText);
        ++point;
    }
    record->yMin = min;
    record->yMax = max;
    chart->setSetting(settingHorizontalGrid, 0);
    if (workspace.priceChart != nullptr) workspace.priceChart->setSetting(settingVerticalGrid, 0);
    chart->setPlotRange(0.0, min - 0.5, point, max + 0.5);
}

}  // namespace varkel
