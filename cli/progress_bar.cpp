#include "cli/progress_bar.h"

#include <cstdio>

namespace varkel::cli {

namespace {

void drawBar(const char* label, std::int64_t done, std::int64_t total) {
    const int width = 40;
    const int filled = total > 0 ? static_cast<int>(done * width / total) : width;
    std::fprintf(stderr, "\r%-10s [%.*s%*s]", label, filled, "########################################",
                 width - filled, "");
}

}  // namespace

void drawProgressBar(const char* label, std::int64_t done, std::int64_t total, double secondsLeft) {
    drawBar(label, done, total);
    std::fprintf(stderr, " %lld/%lld", static_cast<long long>(done), static_cast<long long>(total));
    if (secondsLeft >= 0.0) std::fprintf(stderr, ", %.0f s left ", secondsLeft);
    if (done >= total) std::fputc('\n', stderr);
}

void drawPercentBar(const char* label, std::int64_t done, std::int64_t total) {
    drawBar(label, done, total);
    std::fprintf(stderr, " %3lld%%", static_cast<long long>(total > 0 ? done * 100 / total : 100));
    if (done >= total) std::fputc('\n', stderr);
}

}  // namespace varkel::cli
