#pragma once

#include "model/trade_model.h"
#include "robustness/build_robustness.h"
#include "search/trial_selection.h"
#include "windows/robustness/parameter_surface_dlg.h"

#include <optional>
#include <string>

// The last build made in a view: its product, the model it kept, how its
// layers chose their trials and its robustness statistics (with the base layer's parameter surface). The
// Strategy Builder makes it; the shell keeps one per view and hands it to the
// builder and, as surfaceToShow, to the Parameter Surface window.
struct LastBuild {
    std::string productName;
    varkel::TradeModel model{};
    varkel::BuildRobustness robustness;
    varkel::TrialSelection selection = varkel::TrialSelection::best;  // how its layers kept their trials
};

// What the Parameter Surface window shows of `build` in a view of
// `productName`: nothing without a build, or with a build of another product.
std::optional<BuiltSurface> surfaceToShow(const std::optional<LastBuild>& build, const std::string& productName);
