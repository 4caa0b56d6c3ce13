// Every study on real price histories against a straightforward recomputation
// written independently of the engine (centred formulas, library min/max,
// Welford's variance), bar by bar, warm-up boundaries included.
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/trend_studies.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

using namespace varkel;
using namespace varkel::test;

namespace {

constexpr double warmUp = std::numeric_limits<double>::quiet_NaN();  // the engine must hold 0 here

struct Parameters {
    int maShort, maLong, keltnerAtr, keltnerEma;
    double multiplier;
    int rsi, roc, stochK, stochD, stochSlowD, macdFast, macdSlow, macdSignal, tsc, lreg, ndist;
};

const Parameters dialogDefaults{20, 40, 10, 10, 1.5, 14, 3, 3, 3, 5, 9, 14, 9, 14, 9, 9};
const Parameters textbook{5, 200, 20, 3, 2.0, 3, 10, 5, 3, 3, 12, 26, 9, 3, 30, 50};

using Series = std::vector<double>;

double windowMean(const Series& v, std::size_t last, int span) {
    const auto first = v.begin() + static_cast<std::ptrdiff_t>(last + 1) - span;
    return std::accumulate(first, first + span, 0.0) / span;
}

Series simpleAverage(const Series& v, int span) {
    Series r(v.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) r[i] = windowMean(v, i, span);
    return r;
}

Series ema(const Series& close, int span) {
    Series r(close.size(), warmUp);
    double value = windowMean(close, static_cast<std::size_t>(span) - 1, span);
    for (std::size_t i = static_cast<std::size_t>(span); i < close.size(); ++i) {
        value += 2.0 / (span + 1) * (close[i] - value);
        r[i] = value;
    }
    return r;
}

Series trueRange(const Product& p) {
    Series r(static_cast<std::size_t>(p.historyLength()), 0.0);
    for (std::size_t i = 1; i < r.size(); ++i) {
        const Bar& bar = p.bars[i];
        const double previous = p.bars[i - 1].close;
        r[i] = std::max({bar.high, previous}) - std::min({bar.low, previous});
    }
    return r;
}

Series atr(const Product& p, int span) {
    const Series tr = trueRange(p);
    Series r(tr.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span); i < tr.size(); ++i) r[i] = windowMean(tr, i, span);
    return r;
}

Series keltnerBand(const Product& p, const Series& close, const Parameters& q, double side) {
    const Series middle = ema(close, q.keltnerEma);
    const Series range = atr(p, q.keltnerAtr);
    const int start = std::max(q.keltnerAtr + 1, q.keltnerEma);
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < close.size(); ++i)
        r[i] = middle[i] + side * q.multiplier * range[i];
    return r;
}

Series upShare(const Series& close, int span) {
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span); i < close.size(); ++i) {
        double rises = 0.0, moves = 0.0;
        for (std::size_t j = i + 1 - static_cast<std::size_t>(span); j <= i; ++j) {
            rises += std::max(close[j] - close[j - 1], 0.0);
            moves += std::fabs(close[j] - close[j - 1]);
        }
        r[i] = moves == 0.0 ? 0.0 : rises / moves;
    }
    return r;
}

Series rateOfChange(const Series& close, int span) {
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span); i < close.size(); ++i)
        r[i] = 100.0 * (1.0 - close[i - static_cast<std::size_t>(span)] / close[i]);
    return r;
}

struct Stochastic {
    Series range, closeLessLow, k, d, slowD;
};

Stochastic stochastic(const Product& p, int kSpan, int dSpan, int slowDSpan) {
    const std::size_t n = static_cast<std::size_t>(p.historyLength());
    Stochastic s{Series(n, 0.0), Series(n, 0.0), Series(n, warmUp), Series(n, warmUp), Series(n, warmUp)};
    const auto first = p.bars.begin();
    for (std::size_t i = static_cast<std::size_t>(kSpan) - 1; i < n; ++i) {
        const auto from = first + static_cast<std::ptrdiff_t>(i + 1) - kSpan;
        const auto to = first + static_cast<std::ptrdiff_t>(i) + 1;
        const double highest =
            std::max_element(from, to, [](const Bar& a, const Bar& b) { return a.high < b.high; })->high;
        const double lowest =
            std::min_element(from, to, [](const Bar& a, const Bar& b) { return a.low < b.low; })->low;
        s.range[i] = highest - lowest;
        s.closeLessLow[i] = p.bars[i].close - lowest;
        s.k[i] = s.range[i] == 0.0 ? 0.0 : s.closeLessLow[i] / s.range[i];
    }
    for (std::size_t i = static_cast<std::size_t>(kSpan + dSpan) - 2; i < n; ++i) {
        const double range = windowMean(s.range, i, dSpan);
        s.d[i] = range == 0.0 ? 0.0 : windowMean(s.closeLessLow, i, dSpan) / range;
    }
    for (std::size_t i = static_cast<std::size_t>(kSpan + dSpan + slowDSpan) - 3; i < n; ++i)
        s.slowD[i] = windowMean(s.d, i, slowDSpan);
    return s;
}

Series macdLine(const Series& close, const Parameters& q) {
    const Series fast = simpleAverage(close, q.macdFast);
    const Series slow = simpleAverage(close, q.macdSlow);
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(std::max(q.macdFast, q.macdSlow)); i < close.size(); ++i)
        r[i] = fast[i] - slow[i];
    return r;
}

Series macdSignal(const Series& close, const Parameters& q) {
    Series line = macdLine(close, q);
    for (double& value : line)
        if (std::isnan(value)) value = 0.0;
    Series r(close.size(), warmUp);
    const int first = std::max(q.macdFast, q.macdSlow) + q.macdSignal - 1;
    for (std::size_t i = static_cast<std::size_t>(first); i < close.size(); ++i)
        r[i] = windowMean(line, i, q.macdSignal);
    return r;
}

// Centred least squares of the window against time.
struct Fit {
    double slope, correlation;
};

Fit fit(const Series& close, std::size_t last, int span) {
    const double meanX = (span + 1) / 2.0;
    const double meanY = windowMean(close, last, span);
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (int x = 1; x <= span; ++x) {
        const double dy = close[last + 1 - static_cast<std::size_t>(span) + static_cast<std::size_t>(x) - 1] - meanY;
        sxy += (x - meanX) * dy;
        sxx += (x - meanX) * (x - meanX);
        syy += dy * dy;
    }
    return {sxy / sxx, syy == 0.0 ? 0.0 : sxy / std::sqrt(sxx * syy)};
}

Series fitted(const Series& close, int span, double Fit::*part) {
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < close.size(); ++i) r[i] = fit(close, i, span).*part;
    return r;
}

Series welfordVariance(const Series& close, int span) {
    Series r(close.size(), warmUp);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < close.size(); ++i) {
        double mean = 0.0, m2 = 0.0;
        int count = 0;
        for (std::size_t k = i + 1 - static_cast<std::size_t>(span); k <= i; ++k) {
            ++count;
            const double delta = close[k] - mean;
            mean += delta / count;
            m2 += delta * (close[k] - mean);
        }
        r[i] = m2 / (span - 1);
    }
    return r;
}

void expectMatches(const Product& product, double Bar::*field, const Series& reference, double tolerance,
                   const std::string& label) {
    const Series actual = pricedColumn(product, field);
    ASSERT_EQ(actual.size(), reference.size()) << label;
    int mismatches = 0;
    for (std::size_t i = 0; i < actual.size() && mismatches < 5; ++i) {
        const bool ok = std::isnan(reference[i])
                            ? actual[i] == 0.0
                            : std::fabs(actual[i] - reference[i]) <= tolerance * std::max(1.0, std::fabs(reference[i]));
        if (!ok) {
            ++mismatches;
            ADD_FAILURE() << label << " bar " << i << ": " << actual[i] << " expected "
                          << (std::isnan(reference[i]) ? 0.0 : reference[i]);
        }
    }
}

struct Sample {
    const char* file;
    const Parameters* parameters;
};

class StudyReference : public ::testing::TestWithParam<Sample> {};

}  // namespace

TEST_P(StudyReference, EveryStudyMatchesAStraightforwardRecomputation) {
    const Parameters& q = *GetParam().parameters;
    ProductRegistry registry;
    const Product& p = loadSample(registry, "X", GetParam().file);
    ASSERT_GT(p.historyLength(), 1000);
    const Series close = pricedColumn(p, &Bar::close);

    calcMovingAverage(registry, "X", q.maShort, 1);
    calcMovingAverage(registry, "X", q.maLong, 2);
    calcKeltner(registry, "X", q.keltnerAtr, q.keltnerEma, q.multiplier);
    calcRsi(registry, "X", q.rsi);
    calcRateOfChange(registry, "X", q.roc);
    calcStochastics(registry, "X", q.stochK, q.stochD, q.stochSlowD);
    calcMacdAverage(registry, "X", q.macdFast, 1);
    calcMacdAverage(registry, "X", q.macdSlow, 2);
    calcMacdSignal(registry, "X", q.macdSignal);
    calcTimeSeriesCorrelation(registry, "X", q.tsc);
    calcLinearRegression(registry, "X", q.lreg);
    calcNormalDistribution(registry, "X", q.ndist);

    const double tight = 1e-12;
    const double loose = 1e-9;  // different formulas round differently
    expectMatches(p, &Bar::maShort, simpleAverage(close, q.maShort), tight, "maShort");
    expectMatches(p, &Bar::maLong, simpleAverage(close, q.maLong), tight, "maLong");
    expectMatches(p, &Bar::ema, ema(close, q.keltnerEma), loose, "ema");
    expectMatches(p, &Bar::trueRange, trueRange(p), tight, "trueRange");
    expectMatches(p, &Bar::atr, atr(p, q.keltnerAtr), tight, "atr");
    expectMatches(p, &Bar::keltnerUpper, keltnerBand(p, close, q, +1.0), loose, "keltnerUpper");
    expectMatches(p, &Bar::keltnerLower, keltnerBand(p, close, q, -1.0), loose, "keltnerLower");
    expectMatches(p, &Bar::rsi, upShare(close, q.rsi), loose, "rsi");
    expectMatches(p, &Bar::roc, rateOfChange(close, q.roc), loose, "roc");
    const Stochastic s = stochastic(p, q.stochK, q.stochD, q.stochSlowD);
    expectMatches(p, &Bar::stochRange, s.range, tight, "stochRange");
    expectMatches(p, &Bar::stochCloseLessLow, s.closeLessLow, tight, "stochCloseLessLow");
    expectMatches(p, &Bar::stochK, s.k, loose, "stochK");
    expectMatches(p, &Bar::stochD, s.d, loose, "stochD");
    expectMatches(p, &Bar::stochSlowD, s.slowD, loose, "stochSlowD");
    expectMatches(p, &Bar::macdFast, simpleAverage(close, q.macdFast), tight, "macdFast");
    expectMatches(p, &Bar::macdSlow, simpleAverage(close, q.macdSlow), tight, "macdSlow");
    expectMatches(p, &Bar::macdLine, macdLine(close, q), loose, "macdLine");
    expectMatches(p, &Bar::macdSignal, macdSignal(close, q), loose, "macdSignal");
    expectMatches(p, &Bar::tsc, fitted(close, q.tsc, &Fit::correlation), 1e-7, "tsc");
    expectMatches(p, &Bar::lregSlope, fitted(close, q.lreg, &Fit::slope), loose, "lregSlope");
    expectMatches(p, &Bar::ndist, welfordVariance(close, q.ndist), loose, "ndist");
}

INSTANTIATE_TEST_SUITE_P(Samples, StudyReference,
                         ::testing::Values(Sample{"USD_JPY.txt", &dialogDefaults}, Sample{"USD_JPY.txt", &textbook},
                                           Sample{"EUR_JPY.txt", &dialogDefaults}, Sample{"GBP_JPY.txt", &textbook}),
                         [](const ::testing::TestParamInfo<Sample>& sample) {
                             return std::string(sample.param.file).substr(0, 7) +
                                    (sample.param.parameters == &dialogDefaults ? "_dialogDefaults" : "_textbook");
                         });
