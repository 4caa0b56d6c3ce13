#include "report/build_texts.h"

#include <cstdio>

namespace varkel {

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string layerReturnText(double bestReturn) { return formatted("Return = %10.4f", bestReturn); }

std::string buildMeasureText(double value) { return formatted("%10.4f", value); }

}  // namespace varkel
