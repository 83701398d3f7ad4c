// How wide the host's samples are and, for 16-bit images, which range they use. Hosts
// that follow Photoshop put 1.0 at 32768; the hosts in the table of sample_depth.cpp use
// the whole 0..65535 (docs/hosts.md).
#pragma once

#include <cstdint>

#include "host/types/plugin_api.h"

namespace rx {

// 2 for a 16-bit image (Gray16 or RGB48, or depth 16 under another mode), else 1.
int32_t sampleBytesOf(const FilterRecord& rec);

// The largest sample value of a 16-bit image: 65535 for the hosts known to use the whole
// range, 32768 for every other host.
int32_t sixteenBitRangeOf(const FilterRecord& rec);

}  // namespace rx
