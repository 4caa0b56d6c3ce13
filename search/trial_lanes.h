#pragma once

// Eight trials side by side. The searches evaluate eight grid points at once,
// one per vector lane: each lane's positions and its running P&L sum follow
// that trial's own bars in bar order, so every lane's result equals the
// one-trial back-test to the last bit; only the work is shared.

#include "search/pnl_table.h"

#include <cstdint>
#include <cstring>

#if defined(__AVX512F__)
#include <immintrin.h>
#endif

namespace varkel::lanes {

constexpr int width = 8;
using Doubles = double __attribute__((vector_size(width * sizeof(double))));
using Ints = std::int64_t __attribute__((vector_size(width * sizeof(std::int64_t))));

inline Doubles load(const double* from) {
    Doubles v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline Doubles broadcast(double value) { return Doubles{} + value; }
inline Ints broadcast(std::int64_t value) { return Ints{} + value; }

// The entries row[code[lane]] (codes 0 .. 15), one per lane. Picking is exact,
// so both ways give the same bits; with 512-bit vectors it is one two-register
// permute, elsewhere a plain loop the compiler turns into what it can.
inline Doubles pick(const double* row, Ints code) {
#if defined(__AVX512F__)
    __m512i index;
    std::memcpy(&index, &code, sizeof index);
    return _mm512_permutex2var_pd(load(row), index, load(row + width));
#else
    Doubles picked;
    for (int lane = 0; lane < width; ++lane) picked[lane] = row[code[lane]];
    return picked;
#endif
}

// -1, 0 or +1 by the sign of d (0 for exactly 0).
inline Ints sign(Doubles d) {
    // A vector comparison gives -1 where true, 0 where false.
    return (d < 0.0) - (d > 0.0);
}

// The final return of eight trials whose positions `positionAt(i)` gives for
// every bar i = 0 .. n-1: the sum, in bar order, of each bar's table entry for
// (yesterday's position, today's position). Each bar's daily P&L also goes to
// `windows` (see window_sums.h), which may record nothing. Kept out of line,
// so that each kind of `windows` gets a loop of its own registers.
template <typename PositionAt, typename WindowSums>
[[gnu::noinline]] Doubles finalReturns(const PnlTable& table, PositionAt&& positionAt, WindowSums& windows) {
    Doubles sum = {};
    windows.start();
    Ints previous = positionAt(0);
    const int n = table.historyLength();
    for (int i = 1; i < n; ++i) {
        const Ints current = positionAt(i);
        const Doubles daily = pick(table.row(i), previous * 3 + current + 4);
        sum += daily;
        windows.add(i, &daily);
        previous = current;
    }
    windows.finish();
    return sum;
}

}  // namespace varkel::lanes
