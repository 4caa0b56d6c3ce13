#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/vector_target.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/vector_target.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

const char* DispatchedTargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(DispatchedTargetName);

namespace {

// hwy::SupportedTargets() points the dispatch at every target the processor
// has, whatever useVectorTarget chose; asking for the list must not undo that
// choice, so the next search chooses again.
std::vector<std::int64_t> supportedTargets() {
    std::vector<std::int64_t> targets = hwy::SupportedAndGeneratedTargets();
    hwy::GetChosenTarget().DeInit();
    return targets;
}

}  // namespace

std::string vectorTargetName() { return HWY_DYNAMIC_DISPATCH(DispatchedTargetName)(); }

std::vector<std::string> supportedVectorTargets() {
    std::vector<std::string> names;
    for (const std::int64_t target : supportedTargets()) names.emplace_back(hwy::TargetName(target));
    return names;
}

void useBestVectorTarget() { hwy::DisableTargets(0); }

bool useVectorTarget(std::string_view name) {
    useBestVectorTarget();
    std::int64_t others = 0;
    bool found = false;
    for (const std::int64_t target : supportedTargets()) {
        if (name == hwy::TargetName(target))
            found = true;
        else
            others |= target;
    }
    if (!found) return false;
    hwy::DisableTargets(others);
    return true;
}

}  // namespace varkel
#endif
