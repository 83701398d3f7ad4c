#include "app/progress_bar.h"

#include <cstdio>

namespace rx::cli {

void ProgressBar::update(int32_t done, int32_t total) {
    if (!enabled_ || total <= 0) return;
    constexpr int kWidth = 40;
    int64_t clamped = done < 0 ? 0 : (done > total ? total : done);
    int32_t percent = int32_t(clamped * 100 / total);
    if (percent == shown_) return;
    shown_ = percent;
    int filled = int(clamped * kWidth / total);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar, int(percent));
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace rx::cli
