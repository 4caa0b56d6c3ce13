#pragma once

#include "data/product_registry.h"

#include <string_view>

namespace varkel {

// Each operation recomputes its study into the named product's bars with the
// given parameters and then runs the study's rule (a base index) or filter.
// A filter starts from the positions the bars held before the call. Unknown
// products, spans the study refuses (below the smallest of the study
// catalogue) and the guards listed leave the positions as they were.

void applyMacd(ProductRegistry& registry, std::string_view name, int fastSpan, int slowSpan,
               int signalSpan, double threshold);
void applyLreg(ProductRegistry& registry, std::string_view name, int span, double threshold,
               bool asFilter);
void applyTsc(ProductRegistry& registry, std::string_view name, int span, double threshold,
              bool asFilter);
// Filters only.
void applyRoc(ProductRegistry& registry, std::string_view name, int span, double threshold);
void applyNdist(ProductRegistry& registry, std::string_view name, int span, double threshold);
void applyStochastics(ProductRegistry& registry, std::string_view name, int kSpan, int dSpan,
                      int slowDSpan, double threshold);
// Does nothing when the multiplier is negative.
void applyKeltner(ProductRegistry& registry, std::string_view name, int emaSpan, int atrSpan,
                  double multiplier);

}  // namespace varkel
