#include "host/sample_depth.h"

namespace rx {

namespace {

// Hosts whose 16-bit samples run from 0 to 65535, by host signature: the in-memory host
// of the radiantix command and of the tests, which hands 16-bit files through unchanged.
constexpr OSType kFullRangeHosts[] = {fourCC('R', 'X', 'M', 'H')};

}  // namespace

int32_t sampleBytesOf(const FilterRecord& rec) {
    // The mode decides; depth (a later field, which some hosts leave unset) only when the
    // mode is not one of the four the property list offers.
    if (rec.imageMode == plugInModeGray16 || rec.imageMode == plugInModeRGB48) return 2;
    if (rec.imageMode == plugInModeGrayScale || rec.imageMode == plugInModeRGBColor) return 1;
    return rec.depth == 16 ? 2 : 1;
}

int32_t sixteenBitRangeOf(const FilterRecord& rec) {
    for (OSType sig : kFullRangeHosts)
        if (rec.hostSig == sig) return 65535;
    return 32768;
}

}  // namespace rx
