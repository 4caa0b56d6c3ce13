#include "cli/progress_bar.h"

#include <cstdio>

namespace varkel::cli {

void drawProgressBar(const char* label, std::int64_t done, std::int64_t total, double secondsLeft) {
    const int width = 40;
    const int filled = total > 0 ? static_cast<int>(done * width / total) : width;
    std::fprintf(stderr, "\r%-10s [%.*s%*s] %lld/%lld", label, filled, "########################################",
                 width - filled, "", static_cast<long long>(done), static_cast<long long>(total));
    if (secondsLeft >= 0.0) std::fprintf(stderr, ", %.0f s left ", secondsLeft);
    if (done >= total) std::fputc('\n', stderr);
}

}  // namespace varkel::cli
