#include "windows/model/last_build.h"

std::optional<BuiltSurface> surfaceToShow(const std::optional<LastBuild>& build, const std::string& productName) {
    if (!build || build->productName != productName) return std::nullopt;
    return BuiltSurface{build->productName, build->model.base(), build->robustness.baseSurface};
}
