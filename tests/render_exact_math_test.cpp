// The render set-up's own pow, sin, cos, asin and atan: within a few ulps of the C library
// across the ranges the tables use, and exact where the tables' truncations need it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
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

// Largest distance in ulps over `samples` draws of arg().
int64_t worstUlps(const std::function<double(double)>& ours,
                  const std::function<double(double)>& libm,
                  const std::function<double(std::mt19937_64&)>& arg, int samples = 20000) {
    std::mt19937_64 gen(12345);
    int64_t worst = 0;
    for (int i = 0; i < samples; ++i) {
        const double x = arg(gen);
        const int64_t d = ulpDistance(ours(x), libm(x));
        if (d > worst) worst = d;
    }
    return worst;
}

double uniform(std::mt19937_64& g, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(g);
}

TEST(ExactMath, AgreesWithTheCLibraryAcrossTheRangesTheTablesUse) {
    namespace xm = rx::xm;
    // pow: bases 0..1 (ramps, spectral shaping) over many binades, exponents 1/9..9 and
    // beyond; bases above 1 too.
    std::mt19937_64 gen(7);
    int64_t worstPow = 0;
    for (int i = 0; i < 40000; ++i) {
        const double x =
            uniform(gen, 0.5, 1.0) * std::ldexp(1.0, -static_cast<int>(uniform(gen, 0, 30)));
        const double y = uniform(gen, -3.0, 12.0);
        worstPow = std::max(worstPow, ulpDistance(xm::pow(x, y), std::pow(x, y)));
        const double big = uniform(gen, 1.0, 1.0e6);
        const double ySmall = uniform(gen, -2.0, 2.0);
        worstPow = std::max(worstPow, ulpDistance(xm::pow(big, ySmall), std::pow(big, ySmall)));
    }
    EXPECT_LE(worstPow, 2);

    const auto sinArg = [](std::mt19937_64& g) { return uniform(g, -8.0, 8.0); };
    EXPECT_LE(worstUlps(
                  xm::sin, [](double x) { return std::sin(x); }, sinArg),
              2);
    EXPECT_LE(worstUlps(
                  xm::cos, [](double x) { return std::cos(x); }, sinArg),
              2);
    const auto smallArg = [](std::mt19937_64& g) { return uniform(g, -1e-3, 1e-3); };
    EXPECT_LE(worstUlps(
                  xm::sin, [](double x) { return std::sin(x); }, smallArg),
              2);
    EXPECT_LE(worstUlps(
                  xm::cos, [](double x) { return std::cos(x); }, smallArg),
              2);
    const auto wideArg = [](std::mt19937_64& g) { return uniform(g, -1000.0, 1000.0); };
    EXPECT_LE(worstUlps(
                  xm::sin, [](double x) { return std::sin(x); }, wideArg),
              2);

    const auto unitArg = [](std::mt19937_64& g) { return uniform(g, -1.0, 1.0); };
    EXPECT_LE(worstUlps(
                  xm::asin, [](double x) { return std::asin(x); }, unitArg),
              2);
    const auto nearOne = [](std::mt19937_64& g) {
        return 1.0 - std::ldexp(uniform(g, 0.5, 1.0), -static_cast<int>(uniform(g, 1, 50)));
    };
    EXPECT_LE(worstUlps(
                  xm::asin, [](double x) { return std::asin(x); }, nearOne),
              2);
    // The lens table's arguments j / Rl.
    for (int rl = 1; rl <= 1001; rl += 50)
        for (int j = 0; j <= rl; ++j) {
            const double x = static_cast<double>(j) / rl;
            ASSERT_LE(ulpDistance(xm::asin(x), std::asin(x)), 2) << j << "/" << rl;
        }

    const auto logArg = [](std::mt19937_64& g) {
        return (g() & 1 ? 1 : -1) * std::pow(10.0, uniform(g, -6.0, 6.0));
    };
    EXPECT_LE(worstUlps(
                  xm::atan, [](double x) { return std::atan(x); }, logArg),
              2);
    // Every ratio vectorAngle can form from quantised components of the unit square.
    for (int h = -66 * 33; h <= 66 * 33; h += 66)
        for (int v = -66 * 33; v <= 66 * 33; v += 66 * 7)
            if (v != 0) {
                const double r = static_cast<double>(h) / v;
                ASSERT_LE(ulpDistance(xm::atan(r), std::atan(r)), 2) << r;
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
