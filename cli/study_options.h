#pragma once

#include "studies/study_catalogue.h"

#include <vector>

namespace varkel::cli {

// One study the studies command can run: the catalogue's study (its option
// name, spans, settings, columns, computation and warm-up) and how the usage
// names its values.
struct StudyOption {
    const StudyInfo& study;
    const char* valueHelp;  // "SPAN1,SPAN2"

    const char* name() const { return study.option; }
    int spanCount() const { return static_cast<int>(study.spans.size()); }
    // The spans and any real-valued setting after them.
    int valueCount() const { return static_cast<int>(study.spans.size() + study.settings.size()); }
};

// Every study of the catalogue, in the order its columns are printed.
const std::vector<StudyOption>& studyOptions();

}  // namespace varkel::cli
