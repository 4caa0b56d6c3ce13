#include "cli/study_options.h"

#include <map>
#include <string_view>

namespace varkel::cli {

const std::vector<StudyOption>& studyOptions() {
    static const std::vector<StudyOption> options = [] {
        const std::map<std::string_view, const char*> valueHelps = {
            {"ma", "SPAN1,SPAN2"},          {"keltner", "EMA_SPAN,ATR_SPAN,MULTIPLIER"},
            {"stoch", "K_SPAN,D_SPAN,SLOW_D_SPAN"}, {"macd", "MA1,MA2,SIGNAL"}};
        std::vector<StudyOption> list;
        for (const StudyInfo& study : studyCatalogue()) {
            const auto help = valueHelps.find(study.option);
            list.push_back({study, help != valueHelps.end() ? help->second : "SPAN"});
        }
        return list;
    }();
    return options;
}

}  // namespace varkel::cli
