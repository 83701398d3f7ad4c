// A progress bar on stderr, drawn only when stderr is a terminal; redrawn only when the
// shown value changes, so a large image does not flood the terminal.
#pragma once

#include <cstdint>

namespace rx::cli {

class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    void update(int32_t done, int32_t total);
    void finish();  // ends the line if anything was drawn

private:
    bool enabled_;
    bool drawn_ = false;
    int32_t shown_ = -1;
};

}  // namespace rx::cli
