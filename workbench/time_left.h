#pragma once

#include <QString>

// "about 1 min 20 s left", "about 40 s left": the rest of a long run, for its progress bar.
QString timeLeft(double seconds);

// The seconds left of a run started `elapsed` seconds ago that has done
// `done` of `total` steps, at the pace so far; 0 before the first step.
double secondsLeft(double elapsed, double done, double total);
