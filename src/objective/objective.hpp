#pragma once

// The function the program maximises on [-2, 2]:
//   f(x) = 0.4 + sinc(4x) + 1.1 sinc(4x + 2) + 0.8 sinc(6x - 2) + 0.7 sinc(6x - 4).

namespace sa {

// Normalised sinc, sin(pi t) / (pi t), with sinc(0) = 1.
float sinc(float t);

// f(x), returned unrounded in extended precision: callers round it where they store it.
long double objective(float x);

}  // namespace sa
