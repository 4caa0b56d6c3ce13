#include "search/parameter_surface.h"

#include "base/atomic_file.h"
#include "base/atomic_file.h"
#include "base/formatted_text.h"

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
    for (std::size_t trial = 0; trial < surface.trialCount(); ++trial) {
        for (std::size_t index = 0; index < surface.parameterCount(); ++index) {
            appendNumber(text, surface.parameter(trial, index));
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
