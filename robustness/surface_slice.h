#pragma once

#include "search/parameter_surface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varkel {

// A two-parameter view of a parameter surface: one axis parameter across, one
// up, and every other parameter either held at one value or maximised over.
struct SliceRequest {
    std::size_t across = 0;  // the parameter of the x axis
    std::size_t up = 1;      // the parameter of the y axis
    // true: a cell shows the best return over the other parameters' values;
    // false: only trials whose other parameters equal `heldAt` count.
    bool bestOverRest = false;
    std::vector<double> heldAt;  // one value per parameter; the axis ones are ignored
};

struct SurfaceSlice {
    std::vector<double> acrossValues;  // the distinct values of the x parameter, ascending
    std::vector<double> upValues;      // those of the y parameter
    // Per cell (row-major: up index x acrossValues.size() + across index) the
    // trial shown, -1 where no trial of the slice has those two values, and
    // its return (NaN there). With bestOverRest, the first trial in grid order
    // with the best return of the cell.
    std::vector<std::int64_t> trials;
    std::vector<double> returns;

    std::size_t cell(std::size_t acrossIndex, std::size_t upIndex) const {
        return upIndex * acrossValues.size() + acrossIndex;
    }
};

// The slice of `surface` the request asks for. The axes list every value
// their parameter takes anywhere on the surface, so a slice keeps the same
// axes whichever value the rest is held at.
SurfaceSlice sliceSurface(const ParameterSurface& surface, const SliceRequest& request);

// How far from break-even a colour scale of the slice's returns reaches, so
// that a few huge losses or gains do not wash out the rest: the larger
// magnitude of the colourClipShare and 1 - colourClipShare quantiles of the
// cells tried (nearest rank). Cells beyond it take the scale's end colour.
// 0 when no cell was tried.
inline constexpr double colourClipShare = 0.05;
double colourReach(const SurfaceSlice& slice);

// The first trial whose parameters equal `values` exactly, or -1.
std::int64_t findTrial(const ParameterSurface& surface, const std::vector<double>& values);

}  // namespace varkel
