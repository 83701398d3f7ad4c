// Golden images: every case of the matrix in tests/golden/golden_matrix.h is rendered
// through the in-memory host and the entry point, and the hash of the resulting image is
// compared with tests/golden/hashes.txt. A case without a stored hash fails.
//
// To accept new pictures deliberately: RADIANTIX_UPDATE_GOLDEN=1 radiantix_tests
// --gtest_filter='GoldenImages.*' rewrites hashes.txt. Mismatching images are written as
// PNM files to <build>/golden_failures/ for a look.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/memory_host.h"
#include "app/setting_values.h"
#include "golden/golden_matrix.h"
#include "host/session.h"

namespace rx {
namespace {

using golden::GoldenCase;

const std::string kHashFile = std::string(RADIANTIX_SOURCE_DIR) + "/tests/golden/hashes.txt";

std::vector<uint8_t> renderCase(const GoldenCase& c, int16_t* result) {
    HostImage img = HostImage::make(c.width, c.height, c.planes, c.alpha);
    img.pixels = golden::goldenPixels(c);
    if (c.mask) img.mask = golden::goldenMask(c);
    MemoryHostOptions o;
    o.exposeAlpha = c.alpha;
    MemoryHost host(std::move(img), o);
    host.afterPrepare = [&](MemoryHost& h) {
        SunParameters& p = *static_cast<SunParameters*>(h.parameters());
        std::string error;  // the command line's --set syntax
        for (const std::string& s : c.settings)
            ASSERT_TRUE(cli::applyAssignment(s, p, error)) << s << ": " << error;
        if (c.center) {
            p.sunCenterX = c.centerX;
            p.sunCenterY = c.centerY;
        }
    };
    *result = host.runFilter(&ENTRYPOINT);
    return host.image().pixels;
}

std::map<std::string, std::string> readHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream in(kHashFile);
    std::string name, hash;
    while (in >> name >> hash) hashes[name] = hash;
    return hashes;
}

void writeFailure(const GoldenCase& c, const std::vector<uint8_t>& px) {
    const std::filesystem::path dir =
        std::filesystem::path(RADIANTIX_BINARY_DIR) / "golden_failures";
    std::filesystem::create_directories(dir);
    const int32_t ch = c.planes + (c.alpha ? 1 : 0);
    std::ofstream out(dir / (c.name + (c.planes == 1 ? ".pgm" : ".ppm")), std::ios::binary);
    out << (c.planes == 1 ? "P5\n" : "P6\n") << c.width << " " << c.height << "\n255\n";
    for (size_t i = 0; i < px.size(); i += ch)
        out.write(reinterpret_cast<const char*>(&px[i]), c.planes);
}

TEST(GoldenImages, EveryCaseMatchesItsStoredHash) {
    std::map<std::string, int> seen;
    for (const GoldenCase& c : golden::goldenMatrix()) EXPECT_EQ(++seen[c.name], 1) << c.name;
    EXPECT_GT(seen.size(), 80u);
    const bool update = std::getenv("RADIANTIX_UPDATE_GOLDEN") != nullptr;
    const std::map<std::string, std::string> stored = readHashes();
    std::ostringstream fresh;
    int failures = 0;
    for (const GoldenCase& c : golden::goldenMatrix()) {
        int16_t result = 0;
        const std::vector<uint8_t> px = renderCase(c, &result);
        ASSERT_EQ(result, 0) << c.name;
        const std::string hash = golden::hashText(golden::goldenHash(px));
        fresh << c.name << " " << hash << "\n";
        if (update) continue;
        const auto it = stored.find(c.name);
        if (it == stored.end()) {
            ADD_FAILURE() << "no stored hash for golden case " << c.name;
            ++failures;
        } else if (it->second != hash) {
            ADD_FAILURE() << "golden case " << c.name << " renders " << hash << ", stored "
                          << it->second;
            writeFailure(c, px);
            ++failures;
        }
    }
    if (update) {
        std::ofstream(kHashFile) << fresh.str();
        std::printf("golden hashes written to %s\n", kHashFile.c_str());
    }
    EXPECT_EQ(failures, 0);
}

TEST(GoldenImages, RenderingIsRepeatableAndAlphaIsKept) {
    GoldenCase c;
    c.name = "repeat";
    c.alpha = true;
    c.settings = {"flareRadius=40", "flareCount=10", "swirlCount=20", "sunSmear=50"};
    int16_t r1 = 0, r2 = 0;
    const std::vector<uint8_t> a = renderCase(c, &r1), b = renderCase(c, &r2);
    EXPECT_EQ(a, b);
    const std::vector<uint8_t> source = golden::goldenPixels(c);
    for (size_t i = 3; i < a.size(); i += 4) ASSERT_EQ(a[i], source[i]);
    EXPECT_NE(a, source);
}

}  // namespace
}  // namespace rx
