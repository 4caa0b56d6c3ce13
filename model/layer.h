#pragma once

#include "studies/study_kind.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varkel {

// What a layer's places hold when nothing was chosen for them (no trial beat
// the searches' start value), as model files always have; the searches'
// records of a trial hold it in the places its kind does not use too.
inline constexpr std::int32_t nothingChosenSpan = -999;
inline constexpr double nothingChosenSetting = -999.0;

// A layer's parameters: its spans (MACD fast, slow, signal; stochastics %K,
// %D, slow %D; Keltner EMA and ATR; the one-span studies their span), then
// one real setting (the one-span studies' threshold, the Keltner multiplier).
// Places a kind does not use keep the "not used" values -1 and -999.0.
struct LayerParameters {
    std::array<std::int32_t, 3> spans{-1, -1, -1};
    double setting = -999.0;
    bool operator==(const LayerParameters&) const = default;
};

// One index of a trade model: a study and its parameters. The base index
// decides each day's direction; a filter index works on the positions of the
// layers before it.
struct Layer {
    StudyKind kind = StudyKind::NotInUse;
    LayerParameters p;
    bool inUse() const { return kind != StudyKind::NotInUse; }
    // A study in use that no trial was chosen for (chosenLayer of nothing):
    // every place its kind uses holds the nothing-chosen value.
    bool nothingChosen() const;
    bool operator==(const Layer&) const = default;
};

// The layer a model stores for a trial of `kind`: the spans the study's
// builder parameters name, then its setting when it has one; every other place
// keeps "not used". Nothing chosen stores nothingChosenSpan and
// nothingChosenSetting in each of those places.
Layer chosenLayer(StudyKind kind, const std::optional<LayerParameters>& chosen);

// The layer's values in the order of its study's builder parameters (spans,
// then the setting); empty for a kind the builder does not use.
std::vector<double> layerValues(const Layer& layer);

// How many spans the kind's builder parameters hold, and whether a setting follows.
int layerSpanCount(StudyKind kind);
bool layerHasSetting(StudyKind kind);

}  // namespace varkel
