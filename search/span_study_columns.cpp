#include "search/span_study_columns.h"

namespace varkel {

bool computeSpanStudy(StudyScratch& scratch, const SpanStudy& study, int span, std::vector<double>& values) {
    // A refused span writes nothing, so the period field tells whether this span was computed.
    scratch.clearPeriod(study.period);
    study.compute(scratch.registry, scratch.name, span);
    if (!scratch.computed(study.period, span)) return false;
    values = scratch.column(study.value);
    return true;
}

const std::vector<double>* SpanStudyColumns::column(const SpanStudy& study, int span) const {
    Slot& found = slot(study.kind, span);
    std::call_once(found.computed, [&] {
        std::unique_ptr<StudyScratch> scratch = takeScratch();
        std::vector<double> values;
        if (computeSpanStudy(*scratch, study, span, values)) found.values = std::move(values);
        returnScratch(std::move(scratch));
    });
    return found.values ? &*found.values : nullptr;
}

SpanStudyColumns::Slot& SpanStudyColumns::slot(StudyKind kind, int span) const {
    const std::lock_guard<std::mutex> guard(lock_);
    std::unique_ptr<Slot>& found = slots_[{kind, span}];
    if (!found) found = std::make_unique<Slot>();
    return *found;
}

std::unique_ptr<StudyScratch> SpanStudyColumns::takeScratch() const {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (!idleScratch_.empty()) {
            std::unique_ptr<StudyScratch> scratch = std::move(idleScratch_.back());
            idleScratch_.pop_back();
            return scratch;
        }
    }
    return std::make_unique<StudyScratch>(history_);
}

void SpanStudyColumns::returnScratch(std::unique_ptr<StudyScratch> scratch) const {
    const std::lock_guard<std::mutex> guard(lock_);
    idleScratch_.push_back(std::move(scratch));
}

}  // namespace varkel
