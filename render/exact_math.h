// Elementary functions built only from + - * / and sqrt, which IEEE-754 rounds correctly on
// every platform. The C libraries of Linux, MinGW and MSVC round pow, sin, cos, asin and
// atan differently in the last bit, and the render set-up truncates their results, so it
// uses these instead: every build then gets the same bits. Each function carries about ten
// extra bits through double-double steps, so the results are the correctly rounded values
// in all but rare hard cases (and exactly representable results, such as (i/256)^5, come
// out exact).
#pragma once

namespace rx::xm {

double pow(double x, double y);
double sin(double x);
double cos(double x);
double asin(double x);  // domain -1..1, NaN outside
double atan(double x);
double sqrt(double x);  // the correctly rounded square root

}  // namespace rx::xm
