// Golden images: every case of the matrix in tests/golden/golden_matrix.h is rendered
// through the in-memory host and the entry point, and the hash of the resulting image is
// compared with tests/golden/hashes.txt. A case without a stored hash fails.
//
// To accept new pictures deliberately: RADIANTIX_UPDATE_GOLDEN=1 radiantix_tests
// --gtest_filter='GoldenImages.UpdateWhenAsked' rewrites hashes.txt. To look at a case's picture,
// radiantix_golden_cases writes its source and `radiantix render` arguments.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "golden/golden_render.h"

namespace rx {
namespace golden {
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }
}  // namespace golden
namespace {

using golden::GoldenCase;

// As the command renders: in place. The quirk tests render the same hashes from a host's
// unchanged copy of the input.
golden::Rendered renderCase(const GoldenCase& c) {
    MemoryHostOptions o;
    o.inputInPlace = true;
    return golden::renderGolden(c, golden::goldenBytes(c), o);
}

class GoldenImage : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenImage, MatchesItsStoredHash) {
    const GoldenCase& c = GetParam();
    static const std::map<std::string, std::string> stored = golden::storedHashes();
    const auto it = stored.find(c.name);
    ASSERT_NE(it, stored.end()) << "no stored hash for golden case " << c.name;
    const golden::Rendered r = renderCase(c);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(golden::goldenHash(r.pixels), it->second) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Matrix, GoldenImage, ::testing::ValuesIn(golden::goldenMatrix()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             return info.param.name;
                         });

TEST(GoldenImages, NamesAreUniqueAndEveryStoredHashHasItsCase) {
    std::map<std::string, int> seen;
    for (const GoldenCase& c : golden::goldenMatrix()) EXPECT_EQ(++seen[c.name], 1) << c.name;
    EXPECT_GT(seen.size(), 80u);
    for (const auto& [name, hash] : golden::storedHashes()) EXPECT_EQ(seen.count(name), 1u) << name;
}

// RADIANTIX_UPDATE_GOLDEN=1 rewrites the hash file from what the code renders now.
TEST(GoldenImages, UpdateWhenAsked) {
    if (!std::getenv("RADIANTIX_UPDATE_GOLDEN")) GTEST_SKIP() << "RADIANTIX_UPDATE_GOLDEN unset";
    std::ostringstream fresh;
    for (const GoldenCase& c : golden::goldenMatrix()) {
        const golden::Rendered r = renderCase(c);
        ASSERT_EQ(r.result, 0) << c.name;
        fresh << c.name << " " << golden::goldenHash(r.pixels) << "\n";
    }
    std::ofstream(golden::kHashFile) << fresh.str();
    std::printf("golden hashes written to %s\n", golden::kHashFile.c_str());
}

}  // namespace
}  // namespace rx
