#include "model/apply_operations.h"

#include "model/signal_rules.h"
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/study_catalogue.h"
#include "studies/trend_studies.h"

namespace varkel {

namespace {

// A span the study refuses would leave its old values in the bars, and the
// rule would turn those into positions.
bool accepted(StudyKind kind, std::initializer_list<int> spans) { return findStudy(kind)->acceptsSpans(spans); }

}  // namespace

void applyMacd(ProductRegistry& registry, std::string_view name, int fastSpan, int slowSpan,
               int signalSpan, double threshold) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::Macd, {fastSpan, slowSpan, signalSpan})) return;
    calcMacdAverage(registry, name, fastSpan, 1);
    calcMacdAverage(registry, name, slowSpan, 2);
    calcMacdSignal(registry, name, signalSpan);
    applyMacdRule(product->bars, product->historyLength(), slowSpan, signalSpan, threshold);
}

void applyLreg(ProductRegistry& registry, std::string_view name, int span, double threshold,
               bool asFilter) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::LinearRegression, {span})) return;
    const auto saved = asFilter ? copyPositions(product->bars) : std::vector<std::int32_t>{};
    calcLinearRegression(registry, name, span);
    if (asFilter)
        applyLregFilter(product->bars, product->historyLength(), threshold, saved);
    else
        applyLregRule(product->bars, product->historyLength(), threshold);
}

void applyTsc(ProductRegistry& registry, std::string_view name, int span, double threshold,
              bool asFilter) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::TimeSeriesCorrelation, {span})) return;
    const auto saved = asFilter ? copyPositions(product->bars) : std::vector<std::int32_t>{};
    calcTimeSeriesCorrelation(registry, name, span);
    if (asFilter)
        applyTscFilter(product->bars, product->historyLength(), threshold, saved);
    else
        applyTscRule(product->bars, product->historyLength(), threshold);
}

void applyRoc(ProductRegistry& registry, std::string_view name, int span, double threshold) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::RateOfChange, {span})) return;
    const auto saved = copyPositions(product->bars);
    calcRateOfChange(registry, name, span);
    applyRocFilter(product->bars, product->historyLength(), threshold, saved);
}

void applyNdist(ProductRegistry& registry, std::string_view name, int span, double threshold) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::NormalDistribution, {span})) return;
    const auto saved = copyPositions(product->bars);
    calcNormalDistribution(registry, name, span);
    applyNdistFilter(product->bars, product->historyLength(), threshold, saved);
}

void applyStochastics(ProductRegistry& registry, std::string_view name, int kSpan, int dSpan,
                      int slowDSpan, double threshold) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::Stochastics, {kSpan, dSpan, slowDSpan})) return;
    calcStochastics(registry, name, kSpan, dSpan, slowDSpan);
    applyStochasticsRule(product->bars, product->historyLength(), kSpan, dSpan, slowDSpan,
                         threshold);
}

void applyKeltner(ProductRegistry& registry, std::string_view name, int emaSpan, int atrSpan,
                  double multiplier) {
    Product* product = registry.findProduct(name);
    if (product == nullptr || !accepted(StudyKind::KeltnerChannels, {emaSpan, atrSpan}) || multiplier < 0.0) return;
    calcKeltner(registry, name, atrSpan, emaSpan, multiplier);
    applyKeltnerRule(product->bars, product->historyLength());
}

}  // namespace varkel
