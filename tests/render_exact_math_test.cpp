// The render set-up's own pow, sin, cos, asin and atan: within a few ulps of the C library
// across the ranges the tables use, and exact where the tables' truncations need it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>

#include "render/exact_math.h"

namespace {

int64_t orderedBits(double v) {
    int64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b < 0 ? std::numeric_limits<int64_t>::min() - b : b;
}

int64_t ulpDistance(double a, double b) {
    const int64_t d = orderedBits(a) - orderedBits(b);
    return d < 0 ? -d : d;
}

double uniform(std::mt19937_64& g, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(g);
}

TEST(ExactMath, AgreesWithTheCLibraryAcrossTheRangesTheTablesUse) {
    namespace xm = rx::xm;
    // pow: bases 0..1 (ramps, spectral shaping) over many binades, exponents 1/9..9 and
    // beyond; bases above 1 too.
    std::mt19937_64 gen(7);
    for (int i = 0; i < 40000; ++i) {
        const double x =
            uniform(gen, 0.5, 1.0) * std::ldexp(1.0, -static_cast<int>(uniform(gen, 0, 30)));
        const double y = uniform(gen, -3.0, 12.0), big = uniform(gen, 1.0, 1.0e6);
        const double ySmall = uniform(gen, -2.0, 2.0);
        ASSERT_LE(ulpDistance(xm::pow(x, y), std::pow(x, y)), 2) << x << "^" << y;
        ASSERT_LE(ulpDistance(xm::pow(big, ySmall), std::pow(big, ySmall)), 2) << big;
    }
    // Random arguments of each function: plain ranges, tiny ones, near 1 and over decades.
    using Fn = double (*)(double);
    const struct {
        const char* name;
        Fn ours, libm;
        double lo, hi;
        int kind;  // 0 uniform, 1 one less 2^-k, 2 signed 10^u
    } ranges[] = {
        {"sin", xm::sin, std::sin, -8, 8, 0},       {"cos", xm::cos, std::cos, -8, 8, 0},
        {"sin", xm::sin, std::sin, -1e-3, 1e-3, 0}, {"cos", xm::cos, std::cos, -1e-3, 1e-3, 0},
        {"sin", xm::sin, std::sin, -1e3, 1e3, 0},   {"asin", xm::asin, std::asin, -1, 1, 0},
        {"asin", xm::asin, std::asin, 1, 50, 1},    {"atan", xm::atan, std::atan, -6, 6, 2}};
    for (const auto& r : ranges) {
        std::mt19937_64 g(12345);
        for (int i = 0; i < 20000; ++i) {
            const double u = uniform(g, r.lo, r.hi);
            const double x = r.kind == 0   ? u
                             : r.kind == 1 ? 1.0 - std::ldexp(uniform(g, 0.5, 1.0), -int(u))
                                           : (g() & 1 ? 1 : -1) * std::pow(10.0, u);
            ASSERT_LE(ulpDistance(r.ours(x), r.libm(x)), 2) << r.name << " " << x;
        }
    }
}

TEST(ExactMath, ExactWhereTruncationNeedsIt) {
    namespace xm = rx::xm;
    // (i/256)^n for n <= 5 is representable: the halo ramp at haloBrightness 25 and 50.
    for (int i = 0; i <= 256; ++i) {
        const double x = i * 0.00390625;
        double product = 1.0;
        for (int n = 1; n <= 5; ++n) {
            product *= x;
            ASSERT_EQ(xm::pow(x, n), product) << i << "^" << n;
        }
    }
    // Exponent 1/2 (spikeGamma 0) gives the correctly rounded square root.
    for (int i = 0; i <= 300; ++i) {
        const double x = i * 0.0033333333333333335;
        ASSERT_EQ(xm::pow(x, 0.5), std::sqrt(x)) << i;
    }
    const double halfPi = 1.5707963267948966, inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double got, expected;
    } exact[] = {{xm::pow(2.0, -0.5), std::sqrt(0.5)},
                 {xm::pow(2.0, 10.0), 1024.0},
                 {xm::pow(0.5, 1073.0), std::ldexp(1.0, -1073)},
                 {xm::pow(1.0, 123.4), 1.0},
                 {xm::pow(0.3, 0.0), 1.0},
                 {xm::pow(0.0, 0.3), 0.0},
                 {xm::pow(0.0, -1.0), inf},
                 {xm::pow(-2.0, 3.0), -8.0},
                 {xm::pow(10.0, 400.0), inf},
                 {xm::pow(10.0, -400.0), 0.0},
                 {xm::asin(1.0), halfPi},
                 {xm::asin(-1.0), -halfPi},
                 {xm::asin(0.5), 0.52359877559829893},
                 {xm::asin(0.0), 0.0},
                 {xm::atan(1.0), 0.78539816339744828},
                 {xm::atan(-1.0), -0.78539816339744828},
                 {xm::atan(inf), halfPi},
                 {xm::atan(-1e308), -halfPi},
                 // The spike direction of angle 0 without jitter lands a hair past -pi/2.
                 {xm::sin(-1.5707963268), -1.0},
                 {xm::sin(0.0), 0.0},
                 {xm::cos(0.0), 1.0},
                 {xm::cos(2 * 3.141592653589793), 1.0}};
    for (size_t i = 0; i < std::size(exact); ++i)
        EXPECT_EQ(exact[i].got, exact[i].expected) << "row " << i;
    for (double v : {xm::pow(-2.0, 0.5), xm::asin(1.0000000000000002), xm::sin(inf), xm::cos(nan)})
        EXPECT_TRUE(std::isnan(v));
}

}  // namespace
