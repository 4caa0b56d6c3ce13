#include "search/search_kinds.h"

#include "model/apply_operations.h"
#include "studies/study_catalogue.h"

namespace varkel {

namespace {

const SearchKind searchKinds[] = {
    {StudyKind::Macd, [](const BuildGrids& g) -> StudyGrid { return g.macd; },
     [](ProductRegistry& r, std::string_view n, bool, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseMacd(r, n, c, g.macd);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool) {
         applyMacd(r, n, p.spans[0], p.spans[1], p.spans[2], 0.0);
     },
     {"MA 1 = %d", "MA 2 = %d", "MACD SIG = %d", nullptr}},
    {StudyKind::Stochastics, [](const BuildGrids& g) -> StudyGrid { return g.stochastics; },
     [](ProductRegistry& r, std::string_view n, bool, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseStochastics(r, n, c, g.stochastics);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool) {
         applyStochastics(r, n, p.spans[0], p.spans[1], p.spans[2], 0.0);
     },
     {"K = %d", "D = %d", "SLOW D = %d", nullptr}},
    {StudyKind::KeltnerChannels, [](const BuildGrids& g) -> StudyGrid { return g.keltner; },
     [](ProductRegistry& r, std::string_view n, bool, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseKeltner(r, n, c, g.keltner);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool) {
         applyKeltner(r, n, p.spans[0], p.spans[1], p.setting);
     },
     {"EMA = %d", "ATR = %d", nullptr, "MULTIPLIER = %2.4f"}},
    {StudyKind::TimeSeriesCorrelation, [](const BuildGrids& g) -> StudyGrid { return g.tsc; },
     [](ProductRegistry& r, std::string_view n, bool asFilter, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseTsc(r, n, asFilter, c, g.tsc);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool asFilter) {
         applyTsc(r, n, p.spans[0], p.setting, asFilter);
     },
     {"TSC Span = %d", nullptr, nullptr, "TSC filter = %10.6f"}},
    {StudyKind::LinearRegression, [](const BuildGrids& g) -> StudyGrid { return g.lreg; },
     [](ProductRegistry& r, std::string_view n, bool asFilter, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseLreg(r, n, asFilter, c, g.lreg);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool asFilter) {
         applyLreg(r, n, p.spans[0], p.setting, asFilter);
     },
     {"Lreg Span = %d", nullptr, nullptr, "Lreg filter = %10.6f"}},
    {StudyKind::RateOfChange, [](const BuildGrids& g) -> StudyGrid { return g.roc; },
     [](ProductRegistry& r, std::string_view n, bool, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseRoc(r, n, c, g.roc);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool) {
         applyRoc(r, n, p.spans[0], p.setting);
     },
     {"ROC Span = %d", nullptr, nullptr, "ROC filter = %10.6f"}},
    {StudyKind::NormalDistribution, [](const BuildGrids& g) -> StudyGrid { return g.ndist; },
     [](ProductRegistry& r, std::string_view n, bool, const OptimiserControl& c, const BuildGrids& g) {
         return optimiseNdist(r, n, c, g.ndist);
     },
     [](ProductRegistry& r, std::string_view n, const LayerParameters& p, bool) {
         applyNdist(r, n, p.spans[0], p.setting);
     },
     {"Ndist Span = %d", nullptr, nullptr, "Ndist filter = %10.6f"}},
};

}  // namespace

const SearchKind* findSearchKind(StudyKind kind) {
    for (const SearchKind& row : searchKinds)
        if (row.kind == kind) return &row;
    return nullptr;
}

const SearchKind* findSearchKind(StudyKind kind, bool asFilter) {
    const StudyInfo* study = findStudy(kind);
    if (study == nullptr || !(asFilter ? study->canBeFilter() : study->canBeBase())) return nullptr;
    return findSearchKind(kind);
}

}  // namespace varkel
