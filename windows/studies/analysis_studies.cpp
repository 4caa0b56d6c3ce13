// The seven analysis studies, one row each: the catalogue's study, dialog,
// entries, tab text, title format and series colours.
#include "windows/studies/analysis_study.h"

using namespace varkel;

namespace {

const StudyInfo& study(StudyKind kind) { return *findStudy(kind); }

}  // namespace

const AnalysisStudy macdStudy = {
    study(StudyKind::Macd), 139, "Calc MACD",
    {{1007, "MA 1"}, {1008, "MA 2"}, {1009, "MACD Signal"}},
    "MACD", "MACD (%d, %d, %d)", 2};

const AnalysisStudy rsiStudy = {
    study(StudyKind::Rsi), 140, "Calc RSI", {{1008, "RSI Span"}}, "RSI", "RSI (%d)", 1};

const AnalysisStudy timeSeriesCorrelationStudy = {
    study(StudyKind::TimeSeriesCorrelation), 141, "Time Series Correlation",
    {{1009, "Time Series Correlation Span"}}, "Time Series Correlation", "Time Series Correlation (%d)", 1};

const AnalysisStudy rateOfChangeStudy = {
    study(StudyKind::RateOfChange), 146, "Calc Range Of Rate", {{1020, "Rate Of Change Span"}},
    "ROC", "Rate Of Change (%d)", 1};

const AnalysisStudy linearRegressionStudy = {
    study(StudyKind::LinearRegression), 142, "Linear Regression Calc", {{1010, "Linear Regression Span"}},
    "Linear Regression", "Lineart Regression (%d)", 1};

const AnalysisStudy normalDistributionStudy = {
    study(StudyKind::NormalDistribution), 143, "Calc Normal Distribution", {{1011, "Normal Distribution Span"}},
    "Normal Distribution", "Normal Distribution (%d)", 1};

const AnalysisStudy stochasticsStudy = {
    study(StudyKind::Stochastics), 153, "Stochastics Span",
    {{1050, "%K line SPAN"}, {1051, "%D line SPAN"}, {1052, "Slow %D line SPAN"}},
    "STOCHASTICS", "Stochastics (%d,%d,%d)", 2};
