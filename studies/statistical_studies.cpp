#include "studies/statistical_studies.h"

#include "studies/normal_dist_calc.h"
#include "studies/series_stats.h"
#include "studies/study_frame.h"

namespace varkel {

void calcTimeSeriesCorrelation(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    writeResult(bars, SeriesStats().correlation(column(bars, &Bar::close), span), span, &Bar::tsc,
                &Bar::tscPeriod);
}

void calcLinearRegression(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    writeResult(bars, SeriesStats().slope(column(bars, &Bar::close), span), span, &Bar::lregSlope,
                &Bar::lregPeriod);
}

void calcNormalDistribution(ProductRegistry& registry, std::string_view name, int span) {
    if (span < minStudySpan) return;
    const std::span<Bar> bars = pricedBars(registry, name);
    if (bars.empty()) return;
    writeResult(bars, NormalDistCalc().compute(column(bars, &Bar::close), span), span, &Bar::ndist,
                &Bar::ndistPeriod);
}

}  // namespace varkel
