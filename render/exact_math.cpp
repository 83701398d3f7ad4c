#include "render/exact_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Double-double arithmetic (a value as an unevaluated sum hi + lo, about 106 bits) with
// Dekker's exact products and Knuth's exact sums. The build disables contraction into fused
// multiply-adds, which these rely on.

namespace rx::xm {

namespace {

struct DD {
    double hi, lo;
};

// Constants as hi + lo pairs, printed by tools/gen_math_constants.py.
constexpr DD kLn2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr DD kLn2Over64 = {0x1.62e42fefa39efp-7, 0x1.abc9e3b39803fp-62};
constexpr DD kPiOver2 = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DD kPiOver4 = {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55};
constexpr DD kAtanHalf = {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56};
constexpr DD kAtanThreeHalves = {0x1.f730bd281f69bp-1, 0x1.007887af0cbbdp-56};
constexpr DD kOneThird = {0x1.5555555555555p-2, 0x1.5555555555555p-56};
constexpr DD kOneSixth = {0x1.5555555555555p-3, 0x1.5555555555555p-57};
constexpr DD kOneTwentyFourth = {0x1.5555555555555p-5, 0x1.5555555555555p-59};
constexpr DD kThreeFortieths = {0x1.3333333333333p-4, 0x1.999999999999ap-59};
constexpr DD kTwoThirds = {0x1.5555555555555p-1, 0x1.5555555555555p-55};
// 2^(j/64), j = 0..63, for the final step of exp.
constexpr DD kExp2Table[64] = {
    {0x1.0000000000000p+0, 0x0.0p+0},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline DD twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Exact when |a| >= |b| or a is 0.
inline DD fastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

inline void veltkampSplit(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

inline DD twoProd(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    veltkampSplit(a, ah, al);
    veltkampSplit(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline DD neg(DD a) { return {-a.hi, -a.lo}; }

inline DD add(DD a, DD b) {
    DD s = twoSum(a.hi, b.hi);
    const DD t = twoSum(a.lo, b.lo);
    s.lo += t.hi;
    s = fastTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return fastTwoSum(s.hi, s.lo);
}

inline DD add(DD a, double b) {
    DD s = twoSum(a.hi, b);
    s.lo += a.lo;
    return fastTwoSum(s.hi, s.lo);
}

inline DD mul(DD a, DD b) {
    DD p = twoProd(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return fastTwoSum(p.hi, p.lo);
}

inline DD mul(DD a, double b) {
    DD p = twoProd(a.hi, b);
    p.lo += a.lo * b;
    return fastTwoSum(p.hi, p.lo);
}

inline DD div(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    DD r = add(a, neg(mul(b, q1)));
    const double q2 = r.hi / b.hi;
    r = add(r, neg(mul(b, q2)));
    const double q3 = r.hi / b.hi;
    return add(fastTwoSum(q1, q2), q3);
}

inline double toDouble(DD a) { return a.hi + a.lo; }

inline uint64_t bitsOf(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

inline double fromBits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

inline bool isNaN(double x) { return x != x; }

// Nearest integer of a value well inside the int64 range, ties away from zero.
inline double roundHalfAway(double x) {
    return static_cast<double>(static_cast<int64_t>(x >= 0 ? x + 0.5 : x - 0.5));
}

// 2^e for -1074 <= e <= 1023, exact.
inline double powerOfTwo(int e) {
    if (e >= -1022) return fromBits(static_cast<uint64_t>(e + 1023) << 52);
    return fromBits(uint64_t{1} << (e + 1074));
}

inline double scaleByPowerOfTwo(double x, int e) {
    if (e > 1023) return x * powerOfTwo(1023) * powerOfTwo(e - 1023 > 1023 ? 1023 : e - 1023);
    if (e < -1022) return x * powerOfTwo(-1022) * powerOfTwo(e + 1022 < -1074 ? -1074 : e + 1022);
    return x * powerOfTwo(e);
}

// Natural logarithm of a positive finite x, as a double-double (absolute error ~2^-66).
DD logDD(double x) {
    int e = 0;
    uint64_t b = bitsOf(x);
    if ((b >> 52) == 0) {          // subnormal: normalise first
        x *= 18014398509481984.0;  // 2^54
        b = bitsOf(x);
        e -= 54;
    }
    e += static_cast<int>(b >> 52) - 1023;
    double m = fromBits((b & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);  // 1 <= m < 2
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++e;
    }
    // ln m = 2 atanh(s) = 2s + 2s^3/3 + 2s^5/5 + ..., s = (m - 1) / (m + 1), |s| < 0.172.
    const DD s = div(DD{m - 1.0, 0.0}, twoSum(m, 1.0));
    const DD z = mul(s, s);
    const double zh = z.hi;
    // 2/5 + 2z/7 + ... + 2z^12/29
    static constexpr double kLogCoefficients[13] = {
        2.0 / 5,  2.0 / 7,  2.0 / 9,  2.0 / 11, 2.0 / 13, 2.0 / 15, 2.0 / 17,
        2.0 / 19, 2.0 / 21, 2.0 / 23, 2.0 / 25, 2.0 / 27, 2.0 / 29};
    double tail = kLogCoefficients[12];
    for (int k = 11; k >= 0; --k) tail = kLogCoefficients[k] + zh * tail;
    const DD q = add(kTwoThirds, zh * tail);
    const DD lnm = add(DD{2.0 * s.hi, 2.0 * s.lo}, mul(mul(z, s), q));
    return add(mul(kLn2, static_cast<double>(e)), lnm);
}

// e^z for a double-double z.
double expDD(DD z) {
    if (z.hi > 709.8) return kInf;
    if (z.hi < -745.2) return 0.0;
    // z = k ln2/64 + r, |r| <= ln2/128; e^z = 2^(k>>6) * 2^((k&63)/64) * e^r.
    const double kf = roundHalfAway(z.hi * 92.33248261689366);  // 64 / ln 2
    const int k = static_cast<int>(kf);
    const DD r = add(z, neg(mul(kLn2Over64, kf)));
    const int j = k & 63;
    const int e = (k - j) / 64;
    const double rh = r.hi;
    // e^r - 1 - rh, to about 2^-70 relative.
    const double p =
        r.lo +
        rh * rh *
            (0.5 + rh * (1.0 / 6.0 +
                         rh * (1.0 / 24.0 +
                               rh * (1.0 / 120.0 + rh * (1.0 / 720.0 + rh * (1.0 / 5040.0))))));
    const DD t = kExp2Table[j];
    const DD th = twoProd(t.hi, rh);
    const DD s = fastTwoSum(t.hi, th.hi);
    const double lo = s.lo + (th.lo + (t.lo + (t.hi * p + t.lo * rh)));
    return scaleByPowerOfTwo(s.hi + lo, e);
}

// sin and cos of a reduced argument |r| <= pi/4 (plus rounding), as double-doubles.
DD sinKernel(DD r) {
    const DD z = mul(r, r);
    const double zh = z.hi;
    // Taylor terms from r^5/5! to r^21/21!, divided by r^5.
    double tail = 1.0 / 51090942171709440000.0;
    tail = -1.0 / 121645100408832000.0 + zh * tail;
    tail = 1.0 / 355687428096000.0 + zh * tail;
    tail = -1.0 / 1307674368000.0 + zh * tail;
    tail = 1.0 / 6227020800.0 + zh * tail;
    tail = -1.0 / 39916800.0 + zh * tail;
    tail = 1.0 / 362880.0 + zh * tail;
    tail = -1.0 / 5040.0 + zh * tail;
    tail = 1.0 / 120.0 + zh * tail;
    const DD b = add(neg(kOneSixth), zh * tail);
    return add(r, mul(mul(z, r), b));
}

DD cosKernel(DD r) {
    const DD z = mul(r, r);
    const double zh = z.hi;
    // Taylor terms from r^6/6! to r^20/20!, divided by r^6.
    double tail = 1.0 / 2432902008176640000.0;
    tail = -1.0 / 6402373705728000.0 + zh * tail;
    tail = 1.0 / 20922789888000.0 + zh * tail;
    tail = -1.0 / 87178291200.0 + zh * tail;
    tail = 1.0 / 479001600.0 + zh * tail;
    tail = -1.0 / 3628800.0 + zh * tail;
    tail = 1.0 / 40320.0 + zh * tail;
    tail = -1.0 / 720.0 + zh * tail;
    const DD c = add(kOneTwentyFourth, zh * tail);
    const DD c2 = add(mul(z, c), -0.5);
    return add(mul(z, c2), 1.0);
}

// x = q pi/2 + r. Accurate while |x| < 2^20; beyond that the reduction loses bits but stays
// deterministic.
DD reduceHalfPi(double x, int& quadrant) {
    const double kf = roundHalfAway(x * 0.6366197723675814);  // 2/pi
    quadrant = static_cast<int>(static_cast<int64_t>(kf) & 3);
    return add(DD{x, 0.0}, neg(mul(kPiOver2, kf)));
}

// asin of a double-double 0 <= s <= 0.5 (plus rounding).
DD asinSeries(DD s) {
    // asin s = sum c_n s^(2n+1), c_n = (2n)! / (4^n (n!)^2 (2n+1)); c_0 = 1, c_1 = 1/6,
    // c_2 = 3/40 as double-doubles, c_3..c_30 in double.
    static const double* const c = [] {
        static double coeff[31];
        double central = 1.0;  // (2n)! / (4^n (n!)^2)
        for (int n = 0; n <= 30; ++n) {
            if (n > 0) central = central * (2 * n - 1) / (2 * n);
            coeff[n] = central / (2 * n + 1);
        }
        return coeff;
    }();
    const DD z = mul(s, s);
    const double zh = z.hi;
    double tail = c[30];
    for (int n = 29; n >= 3; --n) tail = c[n] + zh * tail;
    const DD b1 = add(kThreeFortieths, zh * tail);
    const DD b0 = add(kOneSixth, mul(z, b1));
    return add(s, mul(mul(z, s), b0));
}

// atan of a double-double |t| <= 0.4375 (plus rounding).
DD atanSeries(DD t) {
    const DD z = mul(t, t);
    const double zh = z.hi;
    // tail = 1/5 - z/7 + z^2/9 - ... - z^23/51
    static const double* const inverse = [] {
        static double odd[52];
        for (int k = 5; k <= 51; k += 2) odd[k] = 1.0 / k;
        return odd;
    }();
    double tail = inverse[51];
    for (int k = 49; k >= 5; k -= 2) tail = inverse[k] - zh * tail;
    const DD b = add(neg(kOneThird), zh * tail);
    return add(t, mul(mul(z, t), b));
}

}  // namespace

double sqrt(double x) { return std::sqrt(x); }

double pow(double x, double y) {
    if (y == 0.0 || x == 1.0) return 1.0;
    if (isNaN(x) || isNaN(y)) return kNaN;
    if (x < 0.0) {
        const double ay = y < 0 ? -y : y;
        if (ay >= 9007199254740992.0) return pow(-x, y);  // even integer
        const int64_t iy = static_cast<int64_t>(y);
        if (static_cast<double>(iy) != y) return kNaN;
        const double r = pow(-x, y);
        return (iy & 1) ? -r : r;
    }
    if (x == 0.0) return y > 0.0 ? 0.0 : kInf;
    if (x == kInf) return y > 0.0 ? kInf : 0.0;
    if (y == kInf) return x < 1.0 ? 0.0 : kInf;
    if (y == -kInf) return x < 1.0 ? kInf : 0.0;
    const DD l = logDD(x);
    // y * ln x as a double-double; |y ln x| beyond the exp range under- or overflows.
    if (l.hi * y > 1000.0) return kInf;
    if (l.hi * y < -1000.0) return 0.0;
    return expDD(mul(l, y));
}

double sin(double x) {
    if (isNaN(x) || x == kInf || x == -kInf) return kNaN;
    if (x == 0.0) return x;
    int q;
    const DD r = reduceHalfPi(x, q);
    switch (q) {
        case 0: return toDouble(sinKernel(r));
        case 1: return toDouble(cosKernel(r));
        case 2: return -toDouble(sinKernel(r));
        default: return -toDouble(cosKernel(r));
    }
}

double cos(double x) {
    if (isNaN(x) || x == kInf || x == -kInf) return kNaN;
    int q;
    const DD r = reduceHalfPi(x, q);
    switch (q) {
        case 0: return toDouble(cosKernel(r));
        case 1: return -toDouble(sinKernel(r));
        case 2: return -toDouble(cosKernel(r));
        default: return toDouble(sinKernel(r));
    }
}

double asin(double x) {
    if (isNaN(x) || x > 1.0 || x < -1.0) return kNaN;
    if (x == 0.0) return x;
    const double a = x < 0 ? -x : x;
    double result;
    if (a <= 0.5) {
        result = toDouble(asinSeries(DD{a, 0.0}));
    } else {
        // asin a = pi/2 - 2 asin(sqrt((1 - a) / 2)); 1 - a and the halving are exact.
        const double y = (1.0 - a) * 0.5;
        DD s{0.0, 0.0};
        if (y > 0.0) {
            const double sh = std::sqrt(y);
            const DD sq = twoProd(sh, sh);
            s = fastTwoSum(sh, ((y - sq.hi) - sq.lo) / (2.0 * sh));
        }
        const DD twice = asinSeries(s);
        result = toDouble(add(kPiOver2, neg(DD{2.0 * twice.hi, 2.0 * twice.lo})));
    }
    return x < 0 ? -result : result;
}

double atan(double x) {
    if (isNaN(x)) return kNaN;
    if (x == 0.0) return x;
    const double a = x < 0 ? -x : x;
    DD base{0.0, 0.0};
    DD t{a, 0.0};
    if (a > 1.0e300) {
        return x < 0 ? -toDouble(kPiOver2) : toDouble(kPiOver2);
    } else if (a >= 39.0 / 16.0) {
        // atan a = pi/2 + atan(-1/a)
        const double q = 1.0 / a;
        const DD qa = twoProd(q, a);
        t = neg(fastTwoSum(q, ((1.0 - qa.hi) - qa.lo) / a));
        base = kPiOver2;
    } else if (a >= 19.0 / 16.0) {
        // atan a = atan(3/2) + atan((a - 3/2) / (1 + 3a/2))
        t = div(DD{a - 1.5, 0.0}, add(twoProd(1.5, a), 1.0));
        base = kAtanThreeHalves;
    } else if (a >= 11.0 / 16.0) {
        t = div(DD{a - 1.0, 0.0}, twoSum(a, 1.0));
        base = kPiOver4;
    } else if (a >= 7.0 / 16.0) {
        t = div(DD{a - 0.5, 0.0}, twoSum(1.0, 0.5 * a));
        base = kAtanHalf;
    }
    const double result = toDouble(add(base, atanSeries(t)));
    return x < 0 ? -result : result;
}

}  // namespace rx::xm
