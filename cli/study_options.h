#pragma once

#include "data/product_registry.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace varkel::cli {

struct StudyColumn {
    const char* name;  // the Bar field's name, used as the CSV header
    double Bar::*field;
};

// One study the studies command can run, in the order its columns are printed.
struct StudyOption {
    const char* name;        // the option without its dashes: "ma" for --ma
    const char* valueHelp;   // "SPAN1,SPAN2"
    int spanCount;           // leading values that are spans (whole numbers)
    int valueCount;          // the spans and any real-valued setting after them
    int minimumSpan;         // the smallest span the computation accepts
    std::vector<StudyColumn> columns;
    // Runs the computation with validated values (spans first, as whole numbers).
    void (*run)(ProductRegistry& registry, std::string_view product, const std::vector<double>& values);
    // Priced bars needed before every column has a value.
    std::int64_t (*barsNeeded)(const std::vector<double>& values);
};

const std::vector<StudyOption>& studyOptions();

}  // namespace varkel::cli
