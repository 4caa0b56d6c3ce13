#include "model/build_validation.h"

#include "data/history_length.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <variant>

namespace varkel {

namespace {

constexpr int notInUse = static_cast<int>(StudyKind::NotInUse);

const StudyInfo* studyOfCode(int kind) { return findStudy(static_cast<StudyKind>(kind)); }

bool isBase(int kind) {
    const StudyInfo* study = studyOfCode(kind);
    return study != nullptr && study->canBeBase();
}

const StudyInfo* filterOfCode(int kind) {
    const StudyInfo* study = studyOfCode(kind);
    return study != nullptr && study->canBeFilter() ? study : nullptr;
}

}  // namespace

int studyKindFromListText(std::string_view text) {
    const StudyInfo* study = findStudyByName(text);
    if (study == nullptr || study->builderRole == BuilderRole::none) return notInUse;
    return static_cast<int>(study->kind);
}

std::optional<std::string> validateIndexChoice(const IndexChoice& choice) {
    const int base = choice.baseKind;
    if (!isBase(base)) return "Base Index is must item";
    const int second = choice.use2nd ? choice.secondKind : notInUse;
    if (choice.use2nd) {
        const StudyInfo* filter = filterOfCode(second);
        if (filter == nullptr) return "Please specify some index as 2nd index";
        if (second == base)
            return std::string(filter->name) +
                   " is assigned in Base Index. Please specify another index in 2nd Index.";
    }
    if (choice.use3rd) {
        const int third = choice.thirdKind;
        const StudyInfo* filter = filterOfCode(third);
        if (filter == nullptr) return "Please specify some index as 3rd index";
        // A filter that cannot be a base can only repeat the 2nd index.
        if (third == base || third == second)
            return std::string(filter->name) + " is assigned in " +
                   (filter->canBeBase() ? "Base Index or 2nd Index" : "2nd Index") +
                   ". Please specify another index in 3rd Index.";
    }
    return std::nullopt;
}

namespace {

// The longest of the first spans a builder grid tries.
int firstSpansOf(const MacdGrid& grid) { return std::max({grid.fast.first, grid.fast.first + 1, grid.signal.first}); }
int firstSpansOf(const StochasticsGrid& grid) { return std::max({grid.k.first, grid.d.first, grid.slowD.first}); }
int firstSpansOf(const KeltnerGrid& grid) { return std::max(grid.ema.first, grid.atr.first); }
int firstSpansOf(const SpanThresholdGrid& grid) { return grid.span.first; }

}  // namespace

int smallestSpanNeeded(int studyKind) {
    const StudyInfo* study = studyOfCode(studyKind);
    if (study == nullptr || !study->builderGrid) return 0;
    // A grid may list spans the study refuses (normal distribution from 1): those are never tried.
    int needed = std::visit([](const auto& grid) { return firstSpansOf(grid); }, *study->builderGrid);
    for (const SpanParameter& span : study->spans) needed = std::max(needed, span.smallest);
    return needed;
}

int barsNeededToBuild(const IndexChoice& choice) {
    int needed = smallestSpanNeeded(choice.baseKind);
    if (choice.use2nd) needed = std::max(needed, smallestSpanNeeded(choice.secondKind));
    if (choice.use3rd) needed = std::max(needed, smallestSpanNeeded(choice.thirdKind));
    return needed;
}

std::optional<std::string> validateHistoryLength(std::string_view productName, int historyLength,
                                                 const IndexChoice& choice) {
    return refuseShortHistory(productName, historyLength, barsNeededToBuild(choice), "a build");
}

IndexChoice indexChoiceOf(const TradeModel& model) {
    return {static_cast<int>(model.baseKind), model.secondKind != StudyKind::NotInUse,
            static_cast<int>(model.secondKind), model.thirdKind != StudyKind::NotInUse,
            static_cast<int>(model.thirdKind)};
}

}  // namespace varkel
