#include "search/parameter_surface.h"

#include "base/atomic_file.h"
#include "base/formatted_text.h"
#include "model/trade_model_file.h"

#include <cmath>
#include <cstdio>

namespace varkel {

namespace {

void appendNumber(std::string& text, double value) {
    text += shortestText(value);
}

// Names are ours, but quote any that would break the columns.
void appendName(std::string& text, const std::string& name) {
    if (name.find_first_of(",\"\n") == std::string::npos) {
        text += name;
        return;
    }
    text += '"';
    for (char c : name) {
        if (c == '"') text += '"';
        text += c;
    }
    text += '"';
}

}  // namespace

std::string surfaceCsv(const ParameterSurface& surface) {
    std::string text;
    for (const std::string& name : surface.parameterNames) {
        appendName(text, name);
        text += ',';
    }
    text += "return\n";
    // A column of whole numbers is a span; any other holds a setting, written
    // as the model file holds it (0.009000, not the grid's 0.009000000000000001).
    std::vector<bool> setting(surface.parameterCount(), false);
    for (std::size_t trial = 0; trial < surface.trialCount(); ++trial)
        for (std::size_t index = 0; index < surface.parameterCount(); ++index)
            if (const double value = surface.parameter(trial, index); value != std::trunc(value)) setting[index] = true;
    for (std::size_t trial = 0; trial < surface.trialCount(); ++trial) {
        for (std::size_t index = 0; index < surface.parameterCount(); ++index) {
            const double value = surface.parameter(trial, index);
            if (setting[index])
                text += modelFileRealText(value);
            else
                appendNumber(text, value);
            text += ',';
        }
        appendNumber(text, surface.returns[trial]);
        text += '\n';
    }
    return text;
}

bool writeSurfaceCsv(const ParameterSurface& surface, const std::filesystem::path& path, std::string* error) {
    return writeFileAtomically(path, surfaceCsv(surface), error);
}

}  // namespace varkel
