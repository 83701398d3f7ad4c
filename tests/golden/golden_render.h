// A golden case rendered through the in-memory host and the entry point, its settings applied
// with the command line's --set syntax.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/memory_host.h"
#include "app/setting_values.h"
#include "golden_matrix.h"
#include "host/session.h"

namespace rx::golden {

inline const std::string kHashFile = std::string(RADIANTIX_SOURCE_DIR) + "/tests/golden/hashes.txt";

// The stored hashes by case name.
inline std::map<std::string, std::string> storedHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream in(kHashFile);
    std::string name, hash;
    while (in >> name >> hash) hashes[name] = hash;
    return hashes;
}

struct Rendered {
    std::vector<uint8_t> pixels;
    int16_t result;
};

inline Rendered renderGolden(const GoldenCase& c, std::vector<uint8_t> pixels,
                             MemoryHostOptions o = {}) {
    HostImage img = HostImage::make(c.width, c.height, c.planes, c.alpha, c.depth);
    img.pixels = std::move(pixels);
    if (c.mask) img.mask = goldenMask(c);
    o.exposeAlpha = c.alpha;
    MemoryHost host(std::move(img), o);
    host.afterPrepare = [&](MemoryHost& h) {
        SunParameters& p = *static_cast<SunParameters*>(h.parameters());
        std::string error;
        for (const std::string& s : c.settings)
            ASSERT_TRUE(cli::applyAssignment(s, p, error)) << s << ": " << error;
        if (c.center) p.sunCenterX = c.centerX, p.sunCenterY = c.centerY;
    };
    const int16_t result = host.runFilter(&ENTRYPOINT);
    return {std::move(host.image().pixels), result};
}

}  // namespace rx::golden
