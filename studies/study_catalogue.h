#pragma once

#include "data/product_registry.h"
#include "studies/study_grids.h"
#include "studies/study_kind.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

namespace varkel {

// A span a study takes: its name, the value the dialogs offer first, and the
// smallest the study computes with (a smaller one leaves the bars untouched).
struct SpanParameter {
    const char* name;
    int defaultSpan;
    int smallest;
};

// A real-valued setting that follows the spans (the Keltner multiplier).
struct RealParameter {
    const char* name;
    double defaultValue;
};

// A bar field a study writes, named as the command line prints it.
struct StudyColumn {
    const char* name;
    double Bar::*field;
};

// How long a history must be for the computation to write anything at all;
// below it the bars keep what they held.
enum class HistoryNeed {
    anyLength,     // every bar is written whatever the span
    spanBars,      // at least the longest span of price bars
    moreThanSpan,  // more price bars than the longest span
};

// Where a study may stand in a model the strategy builder builds.
enum class BuilderRole { none, base, filter, baseOrFilter };

using StudyGrid = std::variant<MacdGrid, StochasticsGrid, KeltnerGrid, SpanThresholdGrid>;

// Everything the program knows about one study, written once: dialogs,
// painter, command line, builder and model texts read it from here.
struct StudyInfo {
    StudyKind kind;
    const char* option;      // the command line's name: "macd" for --macd
    const char* name;        // the builder's list entry: "Time Series Correlation"
    const char* reportName;  // the performance viewer's name: "STOCHASTICS"
    const char* chartKey;    // the key of its study chart; null for price overlays
    std::vector<SpanParameter> spans;
    std::vector<RealParameter> settings;
    // Priced bars needed before every column has a value, for valid spans.
    std::int64_t (*warmUp)(std::span<const int> spans);
    HistoryNeed historyNeed;
    std::vector<StudyColumn> columns;
    // The fields its study chart draws as series 0 and 1, in that order.
    std::vector<double Bar::*> chartSeries;
    // The study's computation with the spans, then the settings; compute() guards it.
    void (*calculate)(ProductRegistry& registry, std::string_view product, std::span<const double> values);
    BuilderRole builderRole;
    // The builder's parameters in the order a model stores them, and the grid
    // it searches them over; empty for a study the builder does not use.
    std::vector<const char*> builderParameters;
    std::optional<StudyGrid> builderGrid;

    // Whether the study computes with these spans (one per parameter, each at
    // least its smallest). The one check every caller makes.
    bool acceptsSpans(std::span<const int> values) const;
    bool acceptsSpans(std::initializer_list<int> values) const {
        return acceptsSpans(std::span<const int>(values.begin(), values.size()));
    }
    // Runs the study on the named product with the spans (whole numbers), then
    // the settings. Does nothing at all unless every span is accepted, so that
    // no part of a study is left from an earlier run.
    void compute(ProductRegistry& registry, std::string_view product, std::span<const double> values) const;
    // The smallest span any of its parameters accepts.
    int smallestSpan() const;
    bool canBeBase() const { return builderRole == BuilderRole::base || builderRole == BuilderRole::baseOrFilter; }
    bool canBeFilter() const {
        return builderRole == BuilderRole::filter || builderRole == BuilderRole::baseOrFilter;
    }
};

// Every study, in the order the command line prints their columns.
const std::vector<StudyInfo>& studyCatalogue();

// Null when no study has this kind (any number read from a model file), option or name.
const StudyInfo* findStudy(StudyKind kind);
const StudyInfo* findStudyByOption(std::string_view option);
const StudyInfo* findStudyByName(std::string_view name);

// The builder's lists, in the order they are offered.
const std::vector<const StudyInfo*>& baseStudies();
const std::vector<const StudyInfo*>& filterStudies();

}  // namespace varkel
