#!/usr/bin/env python3
"""Prints the double-double constants of render/exact_math.cpp (hi + lo, both as hex
floats), computed with 60-digit decimal arithmetic. Run it and paste the output when a
constant is added; the values never change otherwise."""
from decimal import Decimal, getcontext

getcontext().prec = 60


def atan_series(x):
    # atan(x) = sum (-1)^n x^(2n+1) / (2n+1), for |x| <= 1/2 (and x = 1 via Machin below).
    total, term, n = Decimal(0), x, 0
    while abs(term) > Decimal(10) ** -58:
        total += term / (2 * n + 1) * (1 if n % 2 == 0 else -1)
        term *= x * x
        n += 1
    return total


def ln(x):
    return x.ln()


def split(v):
    hi = float(v)
    lo = float(v - Decimal(hi))
    return hi, lo


def show(name, v):
    hi, lo = split(v)
    print(f"constexpr DD {name} = {{{hi.hex()}, {lo.hex()}}};")


pi = 4 * (4 * atan_series(Decimal(1) / 5) - atan_series(Decimal(1) / 239))
show("kLn2", ln(Decimal(2)))
show("kLn2Over64", ln(Decimal(2)) / 64)
show("kPiOver2", pi / 2)
show("kPiOver4", pi / 4)
show("kAtanHalf", atan_series(Decimal(1) / 2))
show("kAtanThreeHalves", pi / 2 - atan_series(Decimal(2) / 3))
show("kOneThird", Decimal(1) / 3)
show("kOneSixth", Decimal(1) / 6)
show("kOneTwentyFourth", Decimal(1) / 24)
show("kThreeFortieths", Decimal(3) / 40)
show("kTwoThirds", Decimal(2) / 3)
print("// 2^(j/64), j = 0..63")
print("constexpr DD kExp2Table[64] = {")
for j in range(64):
    hi, lo = split((Decimal(j) / 64 * ln(Decimal(2))).exp())
    print(f"    {{{hi.hex()}, {lo.hex()}}},")
print("};")
