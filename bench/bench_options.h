#pragma once

// What the command line of varkel-bench sets for every benchmark (see main.cpp).

#include "search/optimiser_control.h"

namespace varkel::bench {

// The searches' thread count (0: one per core).
int threads();
void setThreads(int count);

// A search control with that thread count.
inline OptimiserControl control() {
    OptimiserControl control;
    control.threads = threads();
    return control;
}

}  // namespace varkel::bench
