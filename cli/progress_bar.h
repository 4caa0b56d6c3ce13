#pragma once

#include <cstdint>

namespace varkel::cli {

// A one-line progress bar on stderr, redrawn in place: the label in ten
// columns, forty columns of bar, then "done/total"; the line ends when done
// reaches total; with `secondsLeft`, an estimate of the time left follows.
// Callers draw it only when stderr is a terminal.
void drawProgressBar(const char* label, std::int64_t done, std::int64_t total, double secondsLeft = -1.0);

// The same bar with the share done in per cent instead of the counts: for
// work whose units are no count the user sees elsewhere (a build's layer is
// its trials and then their scoring, more units than it has trials).
void drawPercentBar(const char* label, std::int64_t done, std::int64_t total);

}  // namespace varkel::cli
