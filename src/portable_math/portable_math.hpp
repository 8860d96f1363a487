#pragma once

// exp, log, sin, cos, tan and pow by the same steps of double arithmetic on every target: only
// + - * /, sqrt, floor and exact scalings, never a fused multiply-add, so that the page
// (WebAssembly, emscripten's libm) gives the native program's bits, where the libraries' own
// functions differ in the last bit. Each is at most 1 unit in the last place from the correctly
// rounded value (1.3 from the true one; tests/portable_math measures it), and follows std:: on
// NaN, infinities and signed zeros.

namespace sa {

// e^y: +inf above 709.78, the subnormals below -708.4, and 0 below -745.2.
double portable_exp(double y);

// The natural logarithm: -inf at 0, NaN below 0, inf at inf; subnormals too.
double portable_log(double x);

// x reduced by pi/2 exactly while |x| < 2^26 pi/2 (about 1.05e8); beyond, the reduction rounds,
// an error up to about |x| 2^-53 in the angle: still the same bits everywhere and within
// [-1, 1], but no value of sin x left beyond 10^15 or so. NaN for infinities.
double portable_sin(double x);
double portable_cos(double x);
double portable_tan(double x);

// base^exponent as std::pow: a negative base to an integer power has that power's sign, to any
// other power NaN; 0^0 = 1, 0^y = 0 for y > 0 and inf for y < 0. Integer powers up to 1024 are
// exact whenever the result is a double (2^10 = 1024, 10^2 = 100, (-2)^3 = -8).
double portable_pow(double base, double exponent);

}  // namespace sa
