#pragma once

// The per-span study columns of the one-span searches (linear regression,
// time series correlation, rate of change, normal distribution). They read
// the closes only, so every search on one history (each base, each filter
// over whatever positions the layers before it hold) would compute the very
// same columns again; a scan shares one set per history instead, each column
// computed once, by the first search that asks for it, with the study
// computation the user runs.

#include "data/product.h"
#include "search/study_scratch.h"
#include "studies/study_kind.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace varkel {

// A one-span study: its computation and the bar fields it writes.
struct SpanStudy {
    StudyKind kind;
    void (*compute)(ProductRegistry&, std::string_view, int);
    double Bar::*value;
    std::int32_t Bar::*period;
};

// The study of `span` computed on `scratch` into `values` (one per priced
// bar); false, with `values` unspecified, for a span the computation refuses
// on this history.
bool computeSpanStudy(StudyScratch& scratch, const SpanStudy& study, int span, std::vector<double>& values);

// Safe to use from several threads at once; the columns are the same
// whichever thread computes them first.
class SpanStudyColumns {
public:
    // The closes are read from `history` when a column is first asked for:
    // it must outlive these columns unchanged.
    explicit SpanStudyColumns(const Product& history) : history_(history) {}

    // Whether these are the columns of `history` itself (the same object).
    bool madeFrom(const Product& history) const { return &history == &history_; }

    // The study's values with `span` on every priced bar; null when the
    // computation refuses the span on this history.
    const std::vector<double>* column(const SpanStudy& study, int span) const;

private:
    struct Slot {
        std::once_flag computed;
        std::optional<std::vector<double>> values;
    };

    Slot& slot(StudyKind kind, int span) const;
    std::unique_ptr<StudyScratch> takeScratch() const;
    void returnScratch(std::unique_ptr<StudyScratch> scratch) const;

    const Product& history_;
    mutable std::mutex lock_;
    mutable std::map<std::pair<StudyKind, int>, std::unique_ptr<Slot>> slots_;
    // Copies of the history the computations write into, one per thread computing at once.
    mutable std::vector<std::unique_ptr<StudyScratch>> idleScratch_;
};

}  // namespace varkel
