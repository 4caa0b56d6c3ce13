#include "search/build_validation.h"

#include "data/history_length.h"
#include "search/search_kinds.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <variant>

namespace varkel {

namespace {

// A study the builder can search: in the catalogue and in the searches' table of kinds.
const StudyInfo* studyOf(std::optional<StudyKind> kind) {
    return kind && findSearchKind(*kind) != nullptr ? findStudy(*kind) : nullptr;
}

bool isBase(std::optional<StudyKind> kind) {
    const StudyInfo* study = studyOf(kind);
    return study != nullptr && study->canBeBase();
}

const StudyInfo* filterOf(std::optional<StudyKind> kind) {
    const StudyInfo* study = studyOf(kind);
    return study != nullptr && study->canBeFilter() ? study : nullptr;
}

}  // namespace

std::optional<StudyKind> studyKindFromListText(std::string_view text) {
    const StudyInfo* study = findStudyByName(text);
    if (study == nullptr || study->builderRole == BuilderRole::none) return std::nullopt;
    return study->kind;
}

std::array<StudyKind, 3> IndexChoice::layerKinds() const {
    auto kindOf = [](bool used, std::optional<StudyKind> kind) {
        return used && kind ? *kind : StudyKind::NotInUse;
    };
    return {kindOf(true, baseKind), kindOf(use2nd, secondKind), kindOf(use3rd, thirdKind)};
}

std::optional<std::string> validateIndexChoice(const IndexChoice& choice) {
    const std::optional<StudyKind> base = choice.baseKind;
    if (!isBase(base)) return "Base Index is must item";
    const std::optional<StudyKind> second = choice.use2nd ? choice.secondKind : std::nullopt;
    if (choice.use2nd) {
        const StudyInfo* filter = filterOf(second);
        if (filter == nullptr) return "Please specify some index as 2nd index";
        if (second == base)
            return std::string(filter->name) +
                   " is assigned in Base Index. Please specify another index in 2nd Index.";
    }
    if (choice.use3rd) {
        const std::optional<StudyKind> third = choice.thirdKind;
        const StudyInfo* filter = filterOf(third);
        if (filter == nullptr) return "Please specify some index as 3rd index";
        // A filter that cannot be a base can only repeat the 2nd index.
        if (third == base || third == second)
            return std::string(filter->name) + " is assigned in " +
                   (filter->canBeBase() ? "Base Index or 2nd Index" : "2nd Index") +
                   ". Please specify another index in 3rd Index.";
    }
    return std::nullopt;
}

int smallestSpanNeeded(std::optional<StudyKind> kind) {
    const StudyInfo* study = studyOf(kind);
    if (study == nullptr || !study->builderGrid) return 0;
    // A grid may list spans the study refuses (normal distribution from 1): those are never tried.
    int needed = std::visit([](const auto& grid) { return firstSpans(grid); }, *study->builderGrid);
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
    auto kindOf = [&model](int layer) -> std::optional<StudyKind> {
        const StudyKind kind = model.layers[static_cast<std::size_t>(layer)].kind;
        return kind == StudyKind::NotInUse ? std::nullopt : std::optional(kind);
    };
    return {kindOf(0), kindOf(1).has_value(), kindOf(1), kindOf(2).has_value(), kindOf(2)};
}

}  // namespace varkel
