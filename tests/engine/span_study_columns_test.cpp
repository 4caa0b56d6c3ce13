// The one-span study columns a scan shares between the searches of a
// history: each the study computation's own, refused spans none, the same
// whichever thread asks first, and a layered search that reads them tries
// every trial to the same return as one that computes its own.
#include "../support/random_history.h"

#include "search/layer_search.h"
#include "search/span_study_columns.h"
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

const SpanStudy lreg{StudyKind::LinearRegression, calcLinearRegression, &Bar::lregSlope, &Bar::lregPeriod};
const SpanStudy tsc{StudyKind::TimeSeriesCorrelation, calcTimeSeriesCorrelation, &Bar::tsc, &Bar::tscPeriod};
const SpanStudy roc{StudyKind::RateOfChange, calcRateOfChange, &Bar::roc, &Bar::rocPeriod};
const SpanStudy ndist{StudyKind::NormalDistribution, calcNormalDistribution, &Bar::ndist, &Bar::ndistPeriod};

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(SpanStudyColumns, EachTheStudyOnItsOwnCopyRefusedSpansNoneWhicheverThreadAsksFirst) {
    const ProductRegistry registry = test::randomHistory(name, 400, 11);
    const Product& history = *registry.findProduct(name);
    struct Case {
        const SpanStudy* study;
        int span;
        bool refused;  // the variance and the regression need three closes; a rate of change one
    };
    const std::vector<Case> cases = {{&lreg, 2, true},   {&ndist, 30, false}, {&tsc, 3, false}, {&ndist, 1, true},
                                     {&roc, 1, false},   {&lreg, 60, false},  {&tsc, 2, true},  {&roc, 19, false},
                                     {&ndist, 2, true},  {&lreg, 3, false},   {&tsc, 139, false}};
    const SpanStudyColumns shared(history);
    // Two threads ask in opposite orders, so that some columns are computed
    // by one thread while the other waits for them, on scratch bars that
    // another study's span wrote before.
    std::vector<const std::vector<double>*> forward(cases.size()), backward(cases.size());
    std::thread other([&] {
        for (std::size_t c = cases.size(); c-- > 0;) backward[c] = shared.column(*cases[c].study, cases[c].span);
    });
    for (std::size_t c = 0; c < cases.size(); ++c) forward[c] = shared.column(*cases[c].study, cases[c].span);
    other.join();

    for (std::size_t c = 0; c < cases.size(); ++c) {
        const Case& one = cases[c];
        SCOPED_TRACE(std::to_string(static_cast<int>(one.study->kind)) + " span " + std::to_string(one.span));
        EXPECT_EQ(forward[c], backward[c]);  // computed once
        EXPECT_EQ(forward[c] == nullptr, one.refused);
        if (one.refused) continue;
        ProductRegistry own = registry;
        one.study->compute(own, name, one.span);
        std::vector<double> expected;
        for (int i = 0; i < history.historyLength(); ++i) expected.push_back(own.findProduct(name)->bars[i].*one.study->value);
        EXPECT_TRUE(sameBits(*forward[c], expected));
    }
}

// Small grids of the one-span kinds, with every trial in the ledger.
LayerSearchSettings ledgerSettings() {
    LayerSearchSettings settings;
    settings.threads = 2;
    settings.grids.tsc = {{3, 30}, {0.3, 0.05, 1.0}};
    settings.grids.roc = {{1, 12}, {0.5, 0.25, 5.0}};
    settings.grids.ndist = {{1, 20}, {0.0, 0.25, 3.0}};
    settings.grids.lreg = {{3, 30}, {0.0, 0.01, 0.1}};
    for (auto& windows : settings.ledgerWindows) windows = std::vector<BarWindow>{{0, 150}};
    return settings;
}

void expectSameSearch(const LayerSearchResult& expected, const LayerSearchResult& actual) {
    ASSERT_EQ(actual.outcome, RunOutcome::Done);
    EXPECT_EQ(actual.model.layers, expected.model.layers);
    for (std::size_t layer = 0; layer < 3; ++layer) {
        ASSERT_TRUE(actual.layers[layer] && expected.layers[layer]);
        const TrialLedger& a = *actual.layers[layer]->ledger;
        const TrialLedger& e = *expected.layers[layer]->ledger;
        ASSERT_EQ(a.rowCount(), e.rowCount());
        EXPECT_EQ(std::memcmp(a.finalReturns(), e.finalReturns(), a.rowCount() * sizeof(double)), 0);
        for (std::size_t row = 0; row < a.rowCount(); ++row) {
            const double sums[2] = {a.windowSum(row, 0), e.windowSum(row, 0)};
            ASSERT_EQ(std::memcmp(&sums[0], &sums[1], sizeof(double)), 0) << layer << " " << row;
        }
    }
}

TEST(SpanStudyColumns, SearchReadingThemTriesEveryTrialAlikeAndColumnsOfAnotherHistoryAreNotRead) {
    const ProductRegistry registry = test::randomHistory(name, 500, 5);
    const Product& history = *registry.findProduct(name);
    const IndexChoice choice{StudyKind::TimeSeriesCorrelation, true, StudyKind::NormalDistribution, true,
                             StudyKind::RateOfChange};
    LayerSearchSettings settings = ledgerSettings();
    const LayerSearchResult own = searchLayers(history, choice, settings);

    const SpanStudyColumns shared(history);
    settings.spanStudies = &shared;
    expectSameSearch(own, searchLayers(history, choice, settings));

    // Columns of other closes would change the trials: they are not read.
    const ProductRegistry other = test::randomHistory(name, 500, 6);
    const SpanStudyColumns foreign(*other.findProduct(name));
    settings.spanStudies = &foreign;
    expectSameSearch(own, searchLayers(history, choice, settings));
}

}  // namespace
