// One walk over the study catalogue: what it says of each study (warm-up,
// smallest spans, columns) must be what the study and its apply operation do.
#include "model/apply_operations.h"
#include "studies/study_catalogue.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace varkel;
using namespace varkel::test;

namespace {

using Spans = std::vector<int>;
using ApplyCall = void (*)(ProductRegistry&, std::string_view, const Spans&);

// The apply operation of every study the builder uses, with a fixed threshold.
const std::map<StudyKind, ApplyCall> applyOperations = {
    {StudyKind::Macd, [](ProductRegistry& r, std::string_view n, const Spans& s) { applyMacd(r, n, s[0], s[1], s[2], 0.0); }},
    {StudyKind::Stochastics,
     [](ProductRegistry& r, std::string_view n, const Spans& s) { applyStochastics(r, n, s[0], s[1], s[2], 0.0); }},
    {StudyKind::KeltnerChannels,
     [](ProductRegistry& r, std::string_view n, const Spans& s) { applyKeltner(r, n, s[0], s[1], 1.5); }},
    {StudyKind::LinearRegression,
     [](ProductRegistry& r, std::string_view n, const Spans& s) { applyLreg(r, n, s[0], 0.01, true); }},
    {StudyKind::TimeSeriesCorrelation,
     [](ProductRegistry& r, std::string_view n, const Spans& s) { applyTsc(r, n, s[0], 0.5, true); }},
    {StudyKind::RateOfChange, [](ProductRegistry& r, std::string_view n, const Spans& s) { applyRoc(r, n, s[0], 1.0); }},
    {StudyKind::NormalDistribution,
     [](ProductRegistry& r, std::string_view n, const Spans& s) { applyNdist(r, n, s[0], 0.5); }},
};

Spans defaultSpans(const StudyInfo& study, int added = 0) {
    Spans spans;
    for (const SpanParameter& span : study.spans) spans.push_back(span.defaultSpan + added);
    return spans;
}

void compute(const StudyInfo& study, ProductRegistry& registry, const Spans& spans) {
    std::vector<double> values(spans.begin(), spans.end());
    for (const RealParameter& setting : study.settings) values.push_back(setting.defaultValue);
    study.compute(registry, historyName, values);
}

// Whether every column of the study has a value (is not 0) on the last priced bar.
bool lastBarHasEveryColumn(const StudyInfo& study, const Product& product) {
    const Bar& last = product.bars[static_cast<std::size_t>(product.historyLength() - 1)];
    for (const StudyColumn& column : study.columns)
        if (last.*column.field == 0.0) return false;
    return true;
}

std::vector<int> positionsOf(const Product& product) {
    std::vector<int> positions;
    for (const Bar& bar : product.bars) positions.push_back(bar.position);
    return positions;
}

}  // namespace

TEST(StudyCatalogue, KindsOptionsNamesAndChartKeysNameOneStudyEach) {
    std::set<int> kinds;
    std::set<std::string> options, names, keys;
    for (const StudyInfo& study : studyCatalogue()) {
        EXPECT_TRUE(kinds.insert(static_cast<int>(study.kind)).second) << study.option;
        EXPECT_TRUE(options.insert(study.option).second) << study.option;
        EXPECT_TRUE(names.insert(study.name).second) << study.option;
        if (study.chartKey != nullptr) {
            EXPECT_TRUE(keys.insert(study.chartKey).second) << study.option;
        }
        EXPECT_EQ(findStudy(study.kind), &study);
        EXPECT_EQ(findStudyByOption(study.option), &study);
        EXPECT_EQ(findStudyByName(study.name), &study);
        // Every column of a study chart is one the study writes.
        for (double Bar::*series : study.chartSeries) {
            bool written = false;
            for (const StudyColumn& column : study.columns) written = written || column.field == series;
            EXPECT_TRUE(written) << study.option;
        }
    }
    EXPECT_EQ(findStudy(StudyKind::NotInUse), nullptr);
    EXPECT_EQ(findStudy(static_cast<StudyKind>(6)), nullptr);
}

TEST(StudyCatalogue, WarmUpIsTheShortestHistoryWithEveryColumnOnItsLastBar) {
    for (const StudyInfo& study : studyCatalogue()) {
        const Spans spans = defaultSpans(study);
        const auto warmUp = static_cast<int>(study.warmUp(spans));
        for (const int length : {warmUp - 1, warmUp, warmUp + 7}) {
            ProductRegistry registry;
            const Product& product = addHistory(registry, wavyBars(length));
            compute(study, registry, spans);
            EXPECT_EQ(lastBarHasEveryColumn(study, product), length >= warmUp)
                << study.option << " with " << length << " bars, warm-up " << warmUp;
        }
    }
}

TEST(StudyCatalogue, TheSmallestSpanIsTheSmallestTheStudyAndItsApplyOperationTake) {
    std::set<StudyKind> builderStudies;
    for (const StudyInfo& study : studyCatalogue()) {
        const auto apply = applyOperations.find(study.kind);
        EXPECT_EQ(apply != applyOperations.end(), study.builderRole != BuilderRole::none) << study.option;
        for (std::size_t which = 0; which < study.spans.size(); ++which) {
            for (const int offset : {-1, 0}) {
                Spans spans = defaultSpans(study);
                spans[which] = study.spans[which].smallest + offset;
                const bool accepted = offset == 0;
                EXPECT_EQ(study.acceptsSpans(spans), accepted) << study.option << " span " << which;
                const std::string label = std::string(study.option) + " " + study.spans[which].name + " " +
                                          std::to_string(spans[which]);

                // The study over a history that already holds values of other
                // (longer) spans, so that an accepted call changes them.
                const Spans earlier = defaultSpans(study, 2);
                ProductRegistry registry;
                Product& product = addHistory(registry, wavyBars(120));
                compute(study, registry, earlier);
                const auto fields = studyFields(product);
                compute(study, registry, spans);
                EXPECT_EQ(studyFields(product) == fields, !accepted) << label;
                if (apply == applyOperations.end()) continue;

                // Its apply operation over positions a former model left.
                for (std::size_t i = 0; i < product.bars.size(); ++i) product.bars[i].position = i % 3 == 0 ? 1 : -1;
                const auto positions = positionsOf(product);
                compute(study, registry, earlier);
                apply->second(registry, historyName, spans);
                EXPECT_EQ(studyFields(product) == fields, !accepted) << label;
                if (!accepted) {
                    EXPECT_EQ(positionsOf(product), positions) << label;
                }
            }
        }
    }
}

TEST(StudyCatalogue, BuilderStudiesNameTheirParametersAndCarryAGrid) {
    const std::map<StudyKind, std::vector<std::string>> expected = {
        {StudyKind::Macd, {"fast", "slow", "signal"}},
        {StudyKind::Stochastics, {"k", "d", "slowD"}},
        {StudyKind::KeltnerChannels, {"ema", "atr", "multiplier"}},
        {StudyKind::LinearRegression, {"span", "threshold"}},
        {StudyKind::TimeSeriesCorrelation, {"span", "threshold"}},
        {StudyKind::RateOfChange, {"span", "threshold"}},
        {StudyKind::NormalDistribution, {"span", "threshold"}},
    };
    for (const StudyInfo& study : studyCatalogue()) {
        const std::vector<std::string> names(study.builderParameters.begin(), study.builderParameters.end());
        const auto found = expected.find(study.kind);
        EXPECT_EQ(names, found != expected.end() ? found->second : std::vector<std::string>{}) << study.option;
        EXPECT_EQ(study.builderGrid.has_value(), found != expected.end()) << study.option;
    }
    for (const StudyInfo* study : baseStudies()) EXPECT_TRUE(study->canBeBase()) << study->option;
    for (const StudyInfo* study : filterStudies()) EXPECT_TRUE(study->canBeFilter()) << study->option;
}
