#include "workbench/time_left.h"

#include <cmath>

QString timeLeft(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(seconds));
    if (whole >= 60) return QStringLiteral("about %1 min %2 s left").arg(whole / 60).arg(whole % 60);
    return QStringLiteral("about %1 s left").arg(whole);
}

double secondsLeft(double elapsed, double done, double total) {
    return done > 0 ? elapsed * (total - done) / done : 0.0;
}
