#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace varkel {

// An inclusive range of whole spans, outer loops first in every grid.
struct SpanRange {
    int first;
    int last;
    int count() const { return last >= first ? last - first + 1 : 0; }
};

// start, start + step, start + step + step, ... while the running value is below
// `limit`. Built by repeated addition, so the values (and the last one, just
// below the limit) are exactly those a loop over a double produces.
struct StepRange {
    double start;
    double step;
    double limit;
    std::vector<double> values() const;
};

// The grids the strategy builder searches, with the standard ranges as
// defaults. Tests and callers may narrow them.
struct MacdGrid {
    SpanRange fast{4, 118};
    int slowLast = 119;  // slow spans run from fast + 1
    SpanRange signal{7, 79};
};

struct StochasticsGrid {
    SpanRange k{3, 118};
    SpanRange d{3, 79};
    SpanRange slowD{3, 59};
};

struct KeltnerGrid {
    SpanRange ema{4, 78};
    SpanRange atr{4, 39};
    StepRange multiplier{0.01, 0.01, 3.0};
};

// A one-span study searched over span and threshold.
struct SpanThresholdGrid {
    SpanRange span;
    StepRange threshold;
};

inline SpanThresholdGrid lregGrid() { return {{3, 139}, {0.0, 0.001, 0.5}}; }
inline SpanThresholdGrid tscGrid() { return {{3, 139}, {0.3, 0.001, 1.0}}; }
inline SpanThresholdGrid rocGrid() { return {{1, 19}, {0.5, 0.01, 5.0}}; }
// Spans 1 and 2 are listed but never tried: the variance needs a span of 3.
inline SpanThresholdGrid ndistGrid() { return {{1, 39}, {0.0, 0.01, 15.0}}; }

// The longest span any trial of a grid reads, and the longest of the first
// spans it tries (MACD's first slow span is its first fast span + 1).
inline int longestSpan(const MacdGrid& grid) { return std::max({grid.fast.last, grid.slowLast, grid.signal.last}); }
inline int longestSpan(const StochasticsGrid& grid) { return std::max({grid.k.last, grid.d.last, grid.slowD.last}); }
inline int longestSpan(const KeltnerGrid& grid) { return std::max(grid.ema.last, grid.atr.last); }
inline int longestSpan(const SpanThresholdGrid& grid) { return grid.span.last; }
inline int firstSpans(const MacdGrid& grid) { return std::max({grid.fast.first, grid.fast.first + 1, grid.signal.first}); }
inline int firstSpans(const StochasticsGrid& grid) { return std::max({grid.k.first, grid.d.first, grid.slowD.first}); }
inline int firstSpans(const KeltnerGrid& grid) { return std::max(grid.ema.first, grid.atr.first); }
inline int firstSpans(const SpanThresholdGrid& grid) { return grid.span.first; }

// The trials a full search of the grid tries on a history longer than all its
// spans: one for each combination of its spans (MACD's slow spans above the
// fast one) and settings. A search skips the spans it cannot compute (below 3,
// or beyond the history).
std::int64_t trialCount(const MacdGrid& grid);
std::int64_t trialCount(const StochasticsGrid& grid);
std::int64_t trialCount(const KeltnerGrid& grid);
std::int64_t trialCount(const SpanThresholdGrid& grid);

}  // namespace varkel
