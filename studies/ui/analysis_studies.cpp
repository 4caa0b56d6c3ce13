// The seven analysis studies, one row each: dialog, entries, computation,
// chart key, tab text, painting kind, title format and series colours.
#include "studies/ui/analysis_study.h"

#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/study_frame.h"

using namespace varkel;

const AnalysisStudy macdStudy = {
    139, "Calc MACD", {{1007, "MA 1", 9}, {1008, "MA 2", 14}, {1009, "MACD Signal", 9}},
    minStudySpan, HistoryNeed::spanBars,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        // The signal reads both average spans from the bars, so it comes last.
        calcMacdAverage(registry, product, spans[0], 1);
        calcMacdAverage(registry, product, spans[1], 2);
        calcMacdSignal(registry, product, spans[2]);
    },
    "MACD", "MACD", StudyKind::Macd, "MACD (%d, %d, %d)", 2};

const AnalysisStudy rsiStudy = {
    140, "Calc RSI", {{1008, "RSI Span", 14}},
    minStudySpan, HistoryNeed::spanBars,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcRsi(registry, product, spans[0]);
    },
    "RSI", "RSI", StudyKind::Rsi, "RSI (%d)", 1};

const AnalysisStudy timeSeriesCorrelationStudy = {
    141, "Time Series Correlation", {{1009, "Time Series Correlation Span", 14}},
    minStudySpan, HistoryNeed::spanBars,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcTimeSeriesCorrelation(registry, product, spans[0]);
    },
    "RCI", "Time Series Correlation", StudyKind::TimeSeriesCorrelation, "Time Series Correlation (%d)", 1};

const AnalysisStudy rateOfChangeStudy = {
    146, "Calc Range Of Rate", {{1020, "Rate Of Change Span", 3}},
    1, HistoryNeed::anyLength,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcRateOfChange(registry, product, spans[0]);
    },
    "ROC", "ROC", StudyKind::RateOfChange, "Rate Of Change (%d)", 1};

const AnalysisStudy linearRegressionStudy = {
    142, "Linear Regression Calc", {{1010, "Linear Regression Span", 9}},
    minStudySpan, HistoryNeed::spanBars,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcLinearRegression(registry, product, spans[0]);
    },
    "LREG", "Linear Regression", StudyKind::LinearRegression, "Lineart Regression (%d)", 1};

const AnalysisStudy normalDistributionStudy = {
    143, "Calc Normal Distribution", {{1011, "Normal Distribution Span", 9}},
    minStudySpan, HistoryNeed::moreThanSpan,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcNormalDistribution(registry, product, spans[0]);
    },
    "NDIST", "Normal Distribution", StudyKind::NormalDistribution, "Normal Distribution (%d)", 1};

const AnalysisStudy stochasticsStudy = {
    153, "Stochastics Span",
    {{1050, "%K line SPAN", 3}, {1051, "%D line SPAN", 3}, {1052, "Slow %D line SPAN", 5}},
    minStudySpan, HistoryNeed::anyLength,
    [](ProductRegistry& registry, std::string_view product, std::span<const int> spans) {
        calcStochastics(registry, product, spans[0], spans[1], spans[2]);
    },
    "STOCHASTICS", "STOCHASTICS", StudyKind::Stochastics, "Stochastics (%d,%d,%d)", 2};
