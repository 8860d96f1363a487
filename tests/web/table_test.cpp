// The page's grids, built as the page builds them (WebAssembly, where long double is IEEE quad
// rounded to 64 bits by sa::extended), held against the extended evaluation done there: every
// point of every grid from 2 to 17 bits and of the grid of 20 bits. Prints how many points
// were compared and how many differ; fails if any does.

#include <bit>
#include <cstdint>
#include <cstdio>

#include "batch/batch.hpp"
#include "objective/objective.hpp"

namespace {

// The points of the grid of `bits` digits whose x or f differs from the extended evaluation.
long differing_points(int bits) {
    const sa::encoding enc = sa::encoding_with(bits, -2.0F, 2.0F);
    const sa::tabulated_space space(sa::demo_landscape(), enc);
    long differing = 0;
    for (int d = 0; d <= enc.d_max; ++d) {
        const float x = sa::x_at(d, enc);
        const long double f = sa::objective(x);
        const sa::split_value value = space.value_at(d);
        const bool same =
            std::bit_cast<std::uint32_t>(space.x_at(d)) == std::bit_cast<std::uint32_t>(x) &&
            value.rounded() == static_cast<float>(f) && value.unrounded() == f;
        if (!same && differing++ < 5) {
            std::printf("%d bits, d %d: x %a, f %La; tabulated x %a, f %a + %a\n", bits, d,
                        static_cast<double>(x), f, static_cast<double>(space.x_at(d)),
                        static_cast<double>(value.single), value.rest);
        }
    }
    return differing;
}

}  // namespace

int main() {
    long compared = 0;
    long differing = 0;
    for (const int bits : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 20}) {
        differing += differing_points(bits);
        compared += std::int64_t{1} << bits;
    }
    std::printf("%ld points compared, %ld differing\n", compared, differing);
    return differing == 0 ? 0 : 1;
}
