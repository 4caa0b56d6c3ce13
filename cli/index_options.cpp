#include "cli/index_options.h"

#include "studies/study_catalogue.h"

#include <cstdio>

namespace varkel::cli {

std::optional<IndexChoice> parseIndexOptions(const CliArgs& args) {
    IndexChoice choice;
    struct IndexOption {
        const char* name;
        std::optional<StudyKind>* kind;
        bool* use;
    };
    const IndexOption indexOptions[] = {{"base", &choice.baseKind, nullptr},
                                        {"second", &choice.secondKind, &choice.use2nd},
                                        {"third", &choice.thirdKind, &choice.use3rd}};
    for (const IndexOption& option : indexOptions) {
        const auto text = args.value(option.name);
        if (!text) continue;
        // Any study the builder uses; validating the choice checks its layer.
        const StudyInfo* study = findStudyByOption(*text);
        if (study == nullptr || study->builderRole == BuilderRole::none) {
            std::fprintf(stderr, "unknown index for --%s: %s\n", option.name, text->c_str());
            return std::nullopt;
        }
        *option.kind = study->kind;
        if (option.use != nullptr) *option.use = true;
    }
    return choice;
}

std::string indexName(StudyKind kind) {
    const StudyInfo* study = findStudy(kind);
    return study != nullptr && kind != StudyKind::NotInUse ? study->name : "-";
}

}  // namespace varkel::cli
