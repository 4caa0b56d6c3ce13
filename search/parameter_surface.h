#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace varkel {

// Every trial of a base layer's search with its full-history return, in grid
// order: the shape of the search, to tell a broad plateau from a lone spike.
struct ParameterSurface {
    std::vector<std::string> parameterNames;
    std::vector<double> parameters;  // trial t's values at [t * names, (t + 1) * names)
    std::vector<double> returns;     // one per trial

    std::size_t parameterCount() const { return parameterNames.size(); }
    std::size_t trialCount() const { return returns.size(); }
    double parameter(std::size_t trial, std::size_t index) const {
        return parameters[trial * parameterCount() + index];
    }
};

// The surface as CSV: a header naming the parameters then `return`, and one
// row per trial in grid order; spans and returns in the shortest text that
// reads back to the same double, settings (thresholds, multipliers) as the
// model file holds them (modelFileRealText).
std::string surfaceCsv(const ParameterSurface& surface);

// Writes surfaceCsv to `path` atomically; false (with `error`) on failure.
bool writeSurfaceCsv(const ParameterSurface& surface, const std::filesystem::path& path,
                     std::string* error = nullptr);

}  // namespace varkel
