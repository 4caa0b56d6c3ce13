#include "robustness/scan.h"

#include "studies/study_catalogue.h"

#include <algorithm>

namespace varkel {

namespace {

bool listed(const std::vector<StudyKind>& kinds, StudyKind kind) {
    return kinds.empty() || std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

}  // namespace

IndexChoice ScanCombination::choice() const {
    return {base, second.has_value(), second, third.has_value(), third};
}

std::string combinationName(const ScanCombination& combination) {
    std::string name = findStudy(combination.base)->name;
    for (const auto& filter : {combination.second, combination.third})
        if (filter) name += std::string(" + ") + findStudy(*filter)->name;
    return name;
}

std::string combinationOptions(const ScanCombination& combination) {
    std::string text = std::string("--base ") + findStudy(combination.base)->option;
    if (combination.second) text += std::string(" --second ") + findStudy(*combination.second)->option;
    if (combination.third) text += std::string(" --third ") + findStudy(*combination.third)->option;
    return text;
}

std::vector<ScanCombination> scanCombinations(const std::vector<StudyKind>& bases,
                                              const std::vector<StudyKind>& filters) {
    std::vector<ScanCombination> combinations;
    const auto accepted = [](const ScanCombination& combination) {
        return !validateIndexChoice(combination.choice()).has_value();
    };
    for (const StudyInfo* base : baseStudies()) {
        if (!listed(bases, base->kind) || !accepted({base->kind, {}, {}})) continue;
        combinations.push_back({base->kind, {}, {}});
        for (const StudyInfo* second : filterStudies()) {
            const ScanCombination withSecond{base->kind, second->kind, {}};
            if (!listed(filters, second->kind) || !accepted(withSecond)) continue;
            combinations.push_back(withSecond);
            for (const StudyInfo* third : filterStudies()) {
                const ScanCombination withThird{base->kind, second->kind, third->kind};
                if (listed(filters, third->kind) && accepted(withThird)) combinations.push_back(withThird);
            }
        }
    }
    return combinations;
}

}  // namespace varkel
